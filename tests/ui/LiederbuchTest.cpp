// The songbook window on the offscreen platform: its place in the Datei menu, building a list,
// saving and reopening it, exporting it, and its own question before unsaved changes are lost.
#include "FormFixture.h"

#include "formats/LayoutFile.h"
#include "formats/SongList.h"
#include "print/PdfTools.h"
#include "ui/Liederbuch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRegularExpression>
#include <QSet>

#include <QFile>
#include <QMenu>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace versino;
using namespace versino::testing;

namespace {

class Liederbuch : public FormFixture {
protected:
    QTemporaryDir dir;

    Liederbuch() {
        QDir(dir.path()).mkpath("a");
        QDir(dir.path()).mkpath("b");
        song("a/berg.vsn", "Berg", {"<G>hoch"});
        song("b/ast.vsn", "\xC4st", {"<D>gr\xFCn"});
        song("b/lang.vsn", "Lang", std::vector<std::string>(80, "<C>Zeile"));
    }

    void song(const QString& name, const std::string& title, const std::vector<std::string>& lyrics) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText(title);
        std::string lyricsText;
        for (const std::string& l : lyrics)
            lines::add(lyricsText, l);
        doc.TextEdit().setText(lyricsText);
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(formatLayout(doc)));
    }

    ui::TLiederbuchForm* open() {
        action("Liederbuch")->trigger();
        return form->findChild<ui::TLiederbuchForm*>();
    }
    static QTreeWidget* list(ui::TLiederbuchForm* w) { return w->findChild<QTreeWidget*>("SongList"); }
    static QStringList titles(ui::TLiederbuchForm* w) {
        QStringList t;
        for (int i = 0; i < list(w)->topLevelItemCount(); ++i)
            t << list(w)->topLevelItem(i)->text(ui::TLiederbuchForm::TitleColumn);
        return t;
    }
    static void press(ui::TLiederbuchForm* w, const char* button) {
        QTest::mouseClick(w->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    ui::TLiederbuchForm* withThreeSongs() {
        ui::TLiederbuchForm* w = open();
        dialogs.openFilesAnswers = {QStringList{dir.filePath("a/berg.vsn"), dir.filePath("b/ast.vsn"),
                                                dir.filePath("b/lang.vsn")}};
        press(w, "AddBtn");
        return w;
    }
};

TEST_F(Liederbuch, menuItemFollowsTheDefinedItemsWithAFreeLetter) {
    const QList<QAction*> items = form->findChild<QMenu*>("Datei")->actions();
    const auto at = [&](const char* name) {
        return items.indexOf(form->findChild<QAction*>(QString::fromLatin1(name)));
    };
    EXPECT_EQ(at("Liederbuch"), at("Seitenvorschau") + 1);
    EXPECT_LT(at("Liederbuch"), at("Beenden"));
    EXPECT_EQ(action("Liederbuch")->text(), QStringLiteral("&Liederbuch . . ."));
    QList<QChar> letters;
    for (QAction* a : items) {
        const int amp = a->text().indexOf(QLatin1Char('&'));
        if (amp >= 0)
            letters << a->text().at(amp + 1).toLower();
    }
    EXPECT_EQ(QSet<QChar>(letters.begin(), letters.end()).size(), letters.size()) << "accelerators clash";
}

TEST_F(Liederbuch, addReorderSaveAndReopenTheList) {
    ui::TLiederbuchForm* w = withThreeSongs();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Liederbuch - [unbenannt]"));
    EXPECT_EQ(titles(w), (QStringList{"Berg", QString::fromUtf8("Äst"), "Lang"}));
    EXPECT_EQ(list(w)->topLevelItem(0)->text(ui::TLiederbuchForm::FitsColumn), "ja");
    EXPECT_EQ(list(w)->topLevelItem(2)->text(ui::TLiederbuchForm::FitsColumn), "nein");

    list(w)->setCurrentItem(list(w)->topLevelItem(0));
    w->show();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(list(w), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(titles(w), (QStringList{QString::fromUtf8("Äst"), "Berg", "Lang"}));
    QTest::keyClick(list(w), Qt::Key_Down, Qt::AltModifier);
    press(w, "UpBtn");
    press(w, "UpBtn");
    EXPECT_EQ(titles(w), (QStringList{"Berg", QString::fromUtf8("Äst"), "Lang"}));
    press(w, "SortBtn");
    EXPECT_EQ(titles(w), (QStringList{QString::fromUtf8("Äst"), "Berg", "Lang"}));

    w->findChild<QLineEdit*>("BuchTitelEdit")->setText(QStringLiteral("Wanderbuch"));
    dialogs.saveAnswers = {dir.filePath("buch.vsl")};
    press(w, "SaveBtn");
    EXPECT_FALSE(w->isModified());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Liederbuch - [buch.vsl]"));
    const songlist::SongList saved = songlist::ReadSongListFile(dir.filePath("buch.vsl"));
    EXPECT_EQ(saved.title, "Wanderbuch");

    ui::TLiederbuchForm again(dialogs, {});
    ASSERT_TRUE(again.openList(dir.filePath("buch.vsl")));
    EXPECT_EQ(again.songFiles(), w->songFiles());
    EXPECT_EQ(again.findChild<QLineEdit*>("BuchTitelEdit")->text(), "Wanderbuch");
    EXPECT_FALSE(again.isModified());
    // The list names its songs relative to its folder.
    QFile file(dir.filePath("buch.vsl"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("#Titel: Wanderbuch\nb/ast.vsn\na/berg.vsn\nb/lang.vsn\n"));
}

TEST_F(Liederbuch, exportWritesTheBookAndACancelledExportWritesNothing) {
    ui::TLiederbuchForm* w = withThreeSongs();
    const QString pdf = dir.filePath("buch.pdf");
    dialogs.saveAnswers = {pdf};
    press(w, "ExportBtn");
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(runTool("pdfinfo", {pdf}).out.contains(QRegularExpression("Pages:\\s+4\\n")), true)
        << "contents and three songs";
    EXPECT_TRUE(dialogs.errors.empty());

    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();
    w->findChild<QCheckBox*>("FirstLinesBox")->setChecked(true);
    QObject::connect(w, &ui::TLiederbuchForm::bookProgress, w, [w](int done, int) {
        if (done == 2)
            w->findChild<QProgressDialog*>()->cancel();
    });
    dialogs.saveAnswers = {pdf};
    dialogs.yesNoAnswers = {true}; // replace the book: the question comes before anything is written
    press(w, "ExportBtn");
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(dialogs.questions[0].contains(QString::fromUtf8("„buch.pdf“ existiert bereits")));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), before) << "a cancelled export leaves the older file";
    EXPECT_EQ(QDir(dir.path()).entryList({".versino-*"}, QDir::Hidden | QDir::Files), QStringList());
}

TEST_F(Liederbuch, closingAsksAboutUnsavedChangesAndDoubleClickOpensTheSong) {
    ui::TLiederbuchForm* w = withThreeSongs();
    w->show();
    dialogs.confirmAnswers = {MsgButton::Cancel};
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(dialogs.confirms.back().text, QString::fromUtf8(ui::TLiederbuchForm::kSavePrompt));

    setText("TextEdit", QStringLiteral("ungesichert"));
    dialogs.confirmAnswers = {MsgButton::No};
    QTreeWidgetItem* berg = list(w)->topLevelItem(0);
    emit list(w)->itemDoubleClicked(berg, 0);
    EXPECT_EQ(dialogs.confirms.back().text, QString::fromUtf8(kSavePrompt)) << "the song's own save prompt";
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("Berg"));
    EXPECT_EQ(form->windowTitle(), captionFor(dir.filePath("a/berg.vsn")));

    dialogs.confirmAnswers = {MsgButton::No};
    EXPECT_TRUE(w->close());
}

TEST_F(Liederbuch, listNamedAtStartOpensInTheWindowBesideAnEmptySong) {
    QFile list(dir.filePath("start.vsl"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("#Titel: Start\nweg.vsn\na/berg.vsn\nfehlt.vsn\n");
    list.close();
    form->openAtStart({dir.filePath("start.vsl")});
    ui::TLiederbuchForm* w = form->findChild<ui::TLiederbuchForm*>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Liederbuch - [start.vsl]"));
    EXPECT_EQ(titles(w).size(), 3) << "a missing song keeps its place in the list";
    ASSERT_EQ(dialogs.errors.size(), 1u);
    const QString report = dialogs.errors.front();
    EXPECT_TRUE(report.contains("\nstart.vsl:2: " + dir.filePath("weg.vsn") + ": File not found\n"))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith("\nstart.vsl:4: " + dir.filePath("fehlt.vsn") + ": File not found"))
        << report.toStdString();
    EXPECT_TRUE(untitled());
}

} // namespace

namespace {

// A song opened at start looks up its relative picture path in its own folder, and the process's
// current folder stays; the editor's single-song PDF carries the song's title.
TEST_F(Liederbuch, songOpenedAtStartLooksBesideItselfAndItsPdfCarriesItsTitle) {
    const QString before = QDir::currentPath();
    form->openAtStart({dir.filePath("a/berg.vsn")});
    EXPECT_EQ(QDir::currentPath(), before);
    const QString pdf = dir.filePath("berg.pdf");
    dialogs.saveAnswers = {pdf};
    action("ExportPdf")->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialName, QDir(dir.filePath("a")).absoluteFilePath("Berg.pdf"))
        << "offered in the song's folder";
    EXPECT_TRUE(runTool("pdfinfo", {pdf}).out.contains(QRegularExpression("Title:\\s+Berg\\n")));
}

} // namespace

// The window's "Griffbilder" box is the book's diagrams, saved with the list and shown again when
// it is opened; its first item leaves each song its own.
TEST_F(Liederbuch, diagramsBoxIsSavedWithTheListAndShownAgain) {
    ui::TLiederbuchForm* w = withThreeSongs();
    auto* box = w->findChild<QComboBox*>("DiagramsBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentIndex(), 0);
    const std::pair<const char*, const char*> choices[] = {{"Klavier", "#Option: Griffbilder=klavier\n"},
                                                           {"keine", "#Option: Griffbilder=aus\n"}};
    for (const auto& [caption, line] : choices) {
        box->setCurrentIndex(box->findText(QString::fromUtf8(caption)));
        EXPECT_TRUE(w->isModified()) << caption;
        dialogs.saveAnswers = {dir.filePath("buch.vsl")};
        dialogs.yesNoAnswers = {true};
        press(w, "SaveBtn");
        QFile file(dir.filePath("buch.vsl"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().contains(line)) << caption;
        ui::TLiederbuchForm again(dialogs, {});
        ASSERT_TRUE(again.openList(dir.filePath("buch.vsl")));
        EXPECT_EQ(again.findChild<QComboBox*>("DiagramsBox")->currentText(), QString::fromUtf8(caption));
    }
}
