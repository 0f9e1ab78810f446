#include "platform/QtDialogs.h"

#include "platform/TransposeDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace versino {
namespace {

const QString kTitle = QStringLiteral("Versino");

void showOkBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, kTitle, text, QMessageBox::NoButton, parent);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

} // namespace

QStringList toQtNameFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns =
            parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        const QString suffix = QStringLiteral("(") + patterns + QStringLiteral(")");
        // Qt reads the patterns from the last parentheses; a description that already shows them
        // is taken as it is.
        out.append(description.endsWith(suffix) ? description : description + QLatin1Char(' ') + suffix);
    }
    return out;
}

QtDialogs::QtDialogs(QWidget* parent, FontChooser chooseFont)
    : parent_(parent), chooseFont_(std::move(chooseFont)) {}

MsgButton QtDialogs::confirm(const QString& text, bool withCancel) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton* cancel =
        withCancel ? box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(yes);
    // Esc and the close box answer Cancel where there is one, else No.
    box.setEscapeButton(cancel ? cancel : no);
    box.exec();
    if (box.clickedButton() == yes)
        return MsgButton::Yes;
    if (box.clickedButton() == no || !cancel)
        return MsgButton::No;
    return MsgButton::Cancel;
}

bool QtDialogs::askYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, kTitle, text, QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void QtDialogs::message(const QString& text) {
    showOkBox(parent_, QMessageBox::NoIcon, text);
}

void QtDialogs::error(const QString& text) {
    // Every general error report ends with a full stop, also one that a command sends directly.
    showOkBox(parent_, QMessageBox::Critical,
              text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.'));
}

std::optional<QString> QtDialogs::runFileDialog(const FileDialogOptions& options, bool save,
                                                QString& lastName) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The open dialog accepts a name that does not exist (Open then reports it), and the save
    // dialog replaces a file without asking.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(toQtNameFilters(options.filter));
    dialog.setDefaultSuffix(options.defaultExtension);
    const QString initial = options.initialName.value_or(lastName);
    // A bare name (a title, or a saved song's name) is offered in the folder chosen last.
    if (!initial.isEmpty()) {
        const QFileInfo info(QDir(folder_).filePath(initial));
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    } else {
        dialog.setDirectory(folder_);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().front());
    lastName = chosen;
    folder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

std::optional<QString> QtDialogs::openFile(const FileDialogOptions& options) {
    return runFileDialog(options, false, lastOpenName_);
}

std::optional<QStringList> QtDialogs::openFiles(const FileDialogOptions& options) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(toQtNameFilters(options.filter));
    dialog.setDirectory(folder_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QStringList chosen;
    for (const QString& file : dialog.selectedFiles())
        chosen << QDir::toNativeSeparators(file);
    folder_ = QFileInfo(chosen.front()).absolutePath();
    return chosen;
}

std::optional<QString> QtDialogs::saveFile(const FileDialogOptions& options) {
    return runFileDialog(options, true, lastSaveName_);
}

std::optional<FontSetting> QtDialogs::chooseFont(const FontSetting& preset) {
    return chooseFont_ ? chooseFont_(preset, parent_) : std::nullopt;
}

std::optional<transpose::Options> QtDialogs::askTranspose(const transpose::Options& preset,
                                                          const transpose::Count& unrecognised) {
    TransposeDialog dialog(preset, unrecognised, parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.choice().semitones == 0)
        return std::nullopt;
    return dialog.choice();
}

} // namespace versino
