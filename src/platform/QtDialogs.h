#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace versino {

// "Text Layouts (*.vsn)|*.vsn" (description|patterns pairs, patterns separated by ";") in the form a
// QFileDialog takes: one entry per pair, "Description (*.a *.b)".
QStringList toQtNameFilters(const QString& filter);

// The dialogs and message boxes of the real program, over Qt's widgets.
class QtDialogs : public Dialogs {
public:
    // Shows the font dialog; nothing when cancelled. The window layer supplies it.
    using FontChooser = std::function<std::optional<FontSetting>(const FontSetting&, QWidget*)>;

    QtDialogs(QWidget* parent, FontChooser chooseFont);

    MsgButton confirm(const QString& text, bool withCancel) override;
    bool askYesNo(const QString& text) override;
    void message(const QString& text) override;
    void error(const QString& text) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    std::optional<QStringList> openFiles(const FileDialogOptions& options) override;
    std::optional<FontSetting> chooseFont(const FontSetting& preset) override;
    std::optional<transpose::Options> askTranspose(const transpose::Options& preset,
                                                   const transpose::Count& unrecognised) override;

private:
    std::optional<QString> runFileDialog(const FileDialogOptions& options, bool save, QString& lastName);

    QPointer<QWidget> parent_;
    FontChooser chooseFont_;
    QString lastOpenName_;
    QString lastSaveName_;
    // Where the next file dialog opens: the folder of the file chosen last. The process's current
    // folder stays as it was, so nothing else depends on which dialog ran last.
    QString folder_ = QDir::currentPath();
};

} // namespace versino
