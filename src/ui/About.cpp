#include "ui/About.h"

#include "ui_About.h"

#include "ui/HelpWindow.h"

namespace versino::ui {

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui::TAboutBox>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(false);
    setFixedSize(298, 213);
    ui_->ProgramIcon->setPixmap(QPixmap(QStringLiteral(":/glyphs/program.bmp")));
    for (QLabel* label : {ui_->ProductName, ui_->Version, ui_->Copyright})
        label->adjustSize();
    ui_->Comments->setFixedHeight(ui_->Comments->heightForWidth(ui_->Comments->width()));
    connect(ui_->OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showOver(QWidget* owner) {
    versino::ui::showOnceCentred(this, owner, placed_);
}

} // namespace versino::ui
