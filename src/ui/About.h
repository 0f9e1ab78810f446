#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutBox;
}

// The about window: the product's name and version. Modeless; OK, Enter and the close box hide it.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner = nullptr);
    ~TAboutBox() override;

    // Makes the window visible and brings it to the front; centred over `owner` the first time.
    void showOver(QWidget* owner);
    void OKButtonClick() { close(); }

private:
    std::unique_ptr<Ui::TAboutBox> ui_;
    bool placed_ = false;
};
