#include "ui/Bedienung.h"

#include "ui_Bedienung.h"

#include "ui/Appearance.h"
#include "ui/HelpWindow.h"

namespace versino::ui {

TBedienungForm::TBedienungForm(QWidget* owner) : QWidget(owner), ui_(std::make_unique<Ui::TBedienungForm>()) {
    ui_->setupUi(this);
    // An ordinary resizable window; the panel and the button keep their places when it is resized.
    setWindowFlags(Qt::Window);
    // The labels size themselves to their text and end inside the panel's frame.
    const int right = ui_->Panel1->width() - ui_->Panel1->frameWidth();
    for (QLabel* label : ui_->Panel1->findChildren<QLabel*>())
        versino::ui::fitLabel(label, right);
    connect(ui_->OkBtn, &QPushButton::clicked, this, &TBedienungForm::OkBtnClick);
}

TBedienungForm::~TBedienungForm() = default;

void TBedienungForm::showOver(QWidget* owner) {
    versino::ui::showOnceCentred(this, owner, placed_);
}

} // namespace versino::ui
