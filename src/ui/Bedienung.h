#pragma once

// TBedienungForm, the instructions window. The file keeps the window's German unit name,
// Bedienung ("operation"), which its form file shares.

#include <QWidget>
#include <memory>

namespace Ui {
class TBedienungForm;
}

namespace versino::ui {

// The instructions window: a fixed table of the chord markup and the directive lines. Modeless;
// closing it only hides it.
class TBedienungForm : public QWidget {
    Q_OBJECT
public:
    explicit TBedienungForm(QWidget* owner = nullptr);
    ~TBedienungForm() override;

    // Makes the window visible and brings it to the front; centred over `owner` the first time.
    void showOver(QWidget* owner);
    void OkBtnClick() { close(); }

private:
    std::unique_ptr<Ui::TBedienungForm> ui_;
    bool placed_ = false;
};

} // namespace versino::ui
