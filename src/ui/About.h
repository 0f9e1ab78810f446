#pragma once

// TAboutBox, the about window. The file keeps the window's short unit name, About.

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutBox;
}

namespace versino::ui {

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

} // namespace versino::ui
