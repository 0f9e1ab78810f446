// The editor among the desktop's programs: started with a song, German standard dialogs, the
// fitted title and performer fields, the font list without aliases.
#include "FormFixture.h"

#include "support/TempDir.h"
#include "platform/QtDialogs.h"
#include "ui/Appearance.h"
#include "ui/FontDialog.h"
#include "ui/FontFitting.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QTranslator>

using namespace versino;
using namespace versino::testing;

namespace {

class StartArgument : public FormFixture {
protected:
    TempDir dir;
};

TEST_F(StartArgument, opensTheSongWithoutAskingAnything) {
    writeAll(dir.str("lied.vsn"), "[Titel]\r\nAm Start\r\n[Text]\r\n<G>la\r\n");
    form->openAtStart({dir.path("lied.vsn")});
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("Am Start"));
    EXPECT_EQ(form->windowTitle(), captionFor(dir.path("lied.vsn")));
    EXPECT_FALSE(asksToSave());
    EXPECT_TRUE(dialogs.confirms.empty() && dialogs.openRequests.empty());
    EXPECT_TRUE(dialogs.messages.empty() && dialogs.errors.empty());
}

TEST_F(StartArgument, aRelativeNameBecomesTheFullPath) {
    writeAll(dir.str("relativ.vsn"), "[Titel]\r\nR\r\n");
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    form->openAtStart({QStringLiteral("relativ.vsn")});
    QDir::setCurrent(before);
    EXPECT_EQ(form->windowTitle(), captionFor(dir.path("relativ.vsn")));
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("R"));
}

TEST_F(StartArgument, anUnreadableFileIsReportedAndTheSongStaysNew) {
    form->openAtStart({dir.path("fehlt.vsn")});
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("File not found."));
    EXPECT_TRUE(untitled());
    EXPECT_EQ(form->windowTitle(), captionFor(QStringLiteral("unbenannt")));
    EXPECT_EQ(text("TitelEdit"), QString());
    EXPECT_FALSE(asksToSave());

    // A folder is no song file either.
    form->openAtStart({dir.path()});
    EXPECT_EQ(dialogs.errors.size(), 2u);
    EXPECT_TRUE(untitled());
}

TEST_F(StartArgument, severalSongsOpenTheFirstAndSaySo) {
    writeAll(dir.str("eins.vsn"), "[Titel]\r\nEins\r\n");
    writeAll(dir.str("zwei.vsn"), "[Titel]\r\nZwei\r\n");
    form->openAtStart({dir.path("eins.vsn"), dir.path("zwei.vsn"), dir.path("drei.vsn")});
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("Eins"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("nur einen Song"))) << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(StartArgument, noArgumentKeepsTheNewSong) {
    form->openAtStart({});
    EXPECT_TRUE(untitled());
    EXPECT_TRUE(dialogs.messages.empty() && dialogs.errors.empty());
}

// The title and performer fields show the whole line of their font: ascent and descent stay
// inside the frame for accents above capitals and descenders below.
class FieldFitting : public FormFixture {};

TEST_F(FieldFitting, accentsAndDescendersFitInsideTheFrame) {
    QLineEdit* titel = lineEdit("TitelEdit");
    setText("TitelEdit", QStringLiteral("Über Gipfel quälend jagt"));
    QStyleOptionFrame panel;
    panel.initFrom(titel);
    panel.rect = titel->rect();
    panel.lineWidth = titel->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, titel);
    const int room = titel->style()->subElementRect(QStyle::SE_LineEditContents, &panel, titel).height();
    ASSERT_GT(room, 0);
    ASSERT_LT(room, titel->height());
    for (const char* face : {"Liberation Sans", "Liberation Serif", "DejaVu Sans"}) {
        for (int size : {1, 8, 12, 14, 16, 18, 24, 36, 72}) {
            chooseFont("TitelFont", FontSetting{face, FontStyle::Bold, 0, size});
            SCOPED_TRACE(std::string(face) + " " + std::to_string(size));
            const QFontMetrics shown = titel->fontMetrics();
            const int shownSize = titel->font().pointSize();
            EXPECT_LE(shown.ascent() + shown.descent(), room);
            EXPECT_LE(shownSize, size);
            // The largest size that fits: one point more would not, unless that is the setting's.
            if (shownSize < size && shownSize > 1) {
                QFont bigger = titel->font();
                bigger.setPointSize(shownSize + 1);
                EXPECT_GT(QFontMetrics(bigger, titel).height(), room);
            }
            EXPECT_EQ(fontOf("TitelFont").size, size) << "the setting keeps its size";
        }
    }
    EXPECT_EQ(titel->height(), 25);
}

TEST_F(FieldFitting, zeroAndNegativeSizesEndAtOnePoint) {
    for (int size : {0, -5, std::numeric_limits<int>::min()}) {
        chooseFont("InterpretFont", FontSetting{"Liberation Sans", 0, 0, size});
        EXPECT_EQ(lineEdit("InterpretEdit")->font().pointSize(), 1);
    }
}

TEST(FontList, leavesOutFontconfigsAliases) {
    uiApp();
    const QStringList all = QFontDatabase::families();
    const QStringList faces = ui::FontDialog::listedFaces();
    for (const char* alias : {"Sans Serif", "Serif", "Monospace"}) {
        EXPECT_TRUE(ui::FontDialog::isGenericAlias(QString::fromLatin1(alias)));
        EXPECT_FALSE(faces.contains(QString::fromLatin1(alias))) << alias;
    }
    ASSERT_TRUE(all.contains(QStringLiteral("Sans Serif"))) << "the font system lists no alias here";
    EXPECT_TRUE(faces.contains(QStringLiteral("Liberation Sans")));
    // Every face listed is one the system draws as itself, not a name for another one.
    for (const QString& face : faces) {
        EXPECT_FALSE(ui::FontDialog::isGenericAlias(face)) << face.toStdString();
        const QString shown = QFontInfo(QFont(face)).family();
        EXPECT_EQ(shown.left(shown.indexOf(QLatin1String(" ["))), face);
    }
}

// Runs `inspect` on the modal dialog as soon as it is up.
void whenModal(std::function<void(QWidget*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        if (QWidget* modal = QApplication::activeModalWidget())
            inspect(modal);
        else
            ADD_FAILURE() << "no modal dialog";
    });
}

TEST(GermanDialogs, qtsOwnTextsAreGermanAndTheProgramsStayAsTheyAre) {
    uiApp();
    QTranslator* german = ui::installGermanQtTranslations();
    ASSERT_NE(german, nullptr) << "Qt's German catalogue is not installed";
    QtDialogs dialogs(nullptr, nullptr);
    // Shortcuts read as the menus have always shown them.
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_F).toString(QKeySequence::NativeText), QStringLiteral("Ctrl+F"));

    QStringList promptButtons;
    whenModal([&promptButtons](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        for (QAbstractButton* b : box->buttons())
            promptButtons << b->text();
        box->defaultButton()->click();
    });
    EXPECT_EQ(dialogs.confirm(QStringLiteral("Wollen Sie?"), true), MsgButton::Yes);
    promptButtons.sort();
    EXPECT_EQ(promptButtons, QStringList({"&No", "&Yes", "Cancel"}));

    QString okText;
    whenModal([&okText](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        okText = box->buttons().value(0)->text();
        box->buttons().value(0)->click();
    });
    dialogs.error(QStringLiteral("File not found"));
    EXPECT_EQ(okText, QStringLiteral("OK"));

    QString cancelText;
    whenModal([&cancelText](QWidget* w) {
        if (auto* buttons = w->findChild<QDialogButtonBox*>())
            cancelText = buttons->button(QDialogButtonBox::Cancel)->text();
        qobject_cast<QDialog*>(w)->reject();
    });
    EXPECT_FALSE(dialogs.saveFile({QStringLiteral("vsn"), QStringLiteral("Text Layouts (*.vsn)|*.vsn"), QString()}));
    EXPECT_EQ(cancelText, QStringLiteral("Abbrechen"));

    QCoreApplication::removeTranslator(german);
    delete german;
}

} // namespace
