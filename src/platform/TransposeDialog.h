#pragma once

#include "music/Transpose.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QSpinBox;

namespace versino {

// "Transponieren": the number of semitones (-11 to +11, never 0), the notation of the song's
// chords and the spelling of black keys. OK stays disabled while the steps are 0.
class TransposeDialog : public QDialog {
    Q_OBJECT
public:
    TransposeDialog(const transpose::Options& preset, const transpose::Count& unrecognised,
                    QWidget* parent = nullptr);

    // "2 Akkorde werden nicht erkannt und bleiben, wie sie sind: „N.C.“, „%“" (up to ten names).
    static QString unrecognisedText(const transpose::Count& unrecognised);

    transpose::Options choice() const;

private:
    void updateOk();
    void updateSuffix();

    QSpinBox* steps_;
    QComboBox* notation_;
    QComboBox* spelling_;
    QDialogButtonBox* buttons_;
};

} // namespace versino
