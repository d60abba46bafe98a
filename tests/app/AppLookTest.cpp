// One look: every window and sheet the program builds draws with the application's
// palette, in which each text reads on its ground; the program has its icon and says its
// version.
#include "app/AppDelegate.h"
#include "app/PreferencesWindow.h"
#include "app/core/AppPalette.h"
#include "browser/MainWindowController.h"
#include "platform/AlertSheet.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <gtest/gtest.h>

namespace {

const QPalette::ColorRole kCheckedRoles[] = {
    QPalette::Window,      QPalette::WindowText, QPalette::Button,    QPalette::ButtonText,
    QPalette::Base,        QPalette::Text,       QPalette::Highlight, QPalette::HighlightedText,
    QPalette::ToolTipBase, QPalette::ToolTipText};

class AppLook : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        Workspace::setUrlOpener({});
    }

    // A window's palette where it differs from the application's, as "role: found ≠ wanted".
    static QStringList paletteDifferences(QWidget *w) {
        QStringList out;
        const QPalette app = QApplication::palette();
        for (QPalette::ColorRole role : kCheckedRoles)
            if (w->palette().color(QPalette::Active, role) != app.color(QPalette::Active, role))
                out << QStringLiteral("%1: %2 ≠ %3")
                           .arg(int(role))
                           .arg(w->palette().color(QPalette::Active, role).name(),
                                app.color(QPalette::Active, role).name());
        return out;
    }

    // The text colour and ground each control with text draws with, where contrast is
    // too low. Style sheets change a control's palette when it is polished, so their
    // colours are checked too.
    static QStringList unreadableControls(QWidget *top) {
        QStringList out;
        QList<QWidget *> widgets = top->findChildren<QWidget *>();
        widgets.prepend(top);
        for (QWidget *w : widgets) {
            w->ensurePolished();
            const QPalette p = w->palette();
            QPalette::ColorRole text = QPalette::NoRole, ground = QPalette::NoRole;
            if (auto *b = qobject_cast<QPushButton *>(w); b && !b->text().isEmpty()) {
                text = QPalette::ButtonText;
                ground = QPalette::Button;
            } else if (auto *c = qobject_cast<QAbstractButton *>(w); c && !c->text().isEmpty()) {
                text = QPalette::WindowText; // a check box's or radio button's label
                ground = QPalette::Window;
            } else if (auto *l = qobject_cast<QLabel *>(w); l && !l->text().isEmpty()) {
                text = QPalette::WindowText;
                ground = QPalette::Window;
            } else if (qobject_cast<QGroupBox *>(w)) {
                text = QPalette::WindowText;
                ground = QPalette::Window;
            } else if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
                       qobject_cast<QAbstractItemView *>(w)) {
                text = QPalette::Text;
                ground = QPalette::Base;
            }
            if (text == QPalette::NoRole)
                continue;
            const double ratio =
                contrastRatio(p.color(QPalette::Active, text), p.color(QPalette::Active, ground));
            if (ratio < kReadableContrast)
                out << QStringLiteral("%1 \"%2\" in %3: %4 on %5 (%6:1)")
                           .arg(QLatin1String(w->metaObject()->className()), w->objectName(),
                                top->objectName(), p.color(QPalette::Active, text).name(),
                                p.color(QPalette::Active, ground).name())
                           .arg(ratio, 0, 'f', 1);
        }
        return out;
    }

    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(AppLook, TheApplicationDrawsWithFusionAndOurPalette) {
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
    const QPalette wanted = applicationPalette();
    for (QPalette::ColorRole role : kCheckedRoles)
        EXPECT_EQ(QApplication::palette().color(QPalette::Active, role),
                  wanted.color(QPalette::Active, role))
            << int(role);
}

TEST_F(AppLook, EveryWindowAndSheetHasTheApplicationsPalette) {
    d->preferencesWindow().ShowPreferenceSetting();
    d->mainWindowController().ClickAbout();
    QPointer<QMessageBox> sheet =
        beginAlertSheet(d->window, "A question", "Details", {"OK"}, [](QMessageBox *, int) {});
    ASSERT_TRUE(sheet);
    int checked = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        const QStringList differences = paletteDifferences(w);
        EXPECT_TRUE(differences.isEmpty())
            << w->metaObject()->className() << " \"" << w->objectName().toStdString()
            << "\": " << differences.join(", ").toStdString();
        ++checked;
    }
    // The main window, Preferences, About and the sheet at least.
    EXPECT_GE(checked, 4);
    for (QWidget *w : {static_cast<QWidget *>(d->window), drive(*d).find("preferenceWindow"),
                       drive(*d).find("aboutWindow"), static_cast<QWidget *>(sheet.data())})
        EXPECT_TRUE(paletteDifferences(w).isEmpty()) << w->objectName().toStdString();
    sheet->buttons().first()->click();
}

TEST_F(AppLook, EveryControlWithTextReadsOnItsGround) {
    d->preferencesWindow().ShowPreferenceSetting();
    d->mainWindowController().ClickAbout();
    QPointer<QMessageBox> sheet = beginAlertSheet(
        d->window, "A question", "Details", {"OK"}, [](QMessageBox *, int) {}, "Do not ask again");
    ASSERT_TRUE(sheet);
    QStringList unreadable;
    for (QWidget *w : QApplication::topLevelWidgets())
        unreadable << unreadableControls(w);
    EXPECT_TRUE(unreadable.isEmpty()) << unreadable.join("\n").toStdString();
    sheet->buttons().first()->click();
}

TEST_F(AppLook, ThePreferencesChoicesDrawLightTextOnTheirWindow) {
    // They once drew white text from a style sheet on whatever ground the window had.
    d->preferencesWindow().ShowPreferenceSetting();
    for (QAbstractButton *box : std::initializer_list<QAbstractButton *>{
             drive(*d).find<QRadioButton>("overwritePhotoBtn"),
             drive(*d).find<QRadioButton>("unoverwritePhotoBtn"),
             drive(*d).find<QRadioButton>("compressStampPhotoBtn"),
             drive(*d).find<QRadioButton>("uncompressStampPhotoBtn")}) {
        EXPECT_TRUE(box->styleSheet().isEmpty()) << box->objectName().toStdString();
        EXPECT_EQ(box->palette().color(QPalette::WindowText),
                  QApplication::palette().color(QPalette::WindowText));
    }
}

TEST_F(AppLook, TheProgramHasItsIconAtEachSize) {
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {48, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    // Drawn, not blank: the corners are clear, the middle is not.
    const QImage image = icon.pixmap(128, 128).toImage();
    ASSERT_EQ(image.size(), QSize(128, 128));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(64, 64)), 255);
    EXPECT_EQ(d->window->windowIcon().cacheKey(), icon.cacheKey());
}

TEST_F(AppLook, AboutSaysTheVersionTheBuildWasMadeAs) {
    d->mainWindowController().ClickAbout();
    QWidget *about = drive(*d).find("aboutWindow");
    ASSERT_TRUE(about && about->isVisible());
    auto *version = about->findChild<QLabel *>("aboutVersionlab");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Version " PK_EXPECTED_VERSION));
    EXPECT_FALSE(QStringLiteral(PK_EXPECTED_VERSION).isEmpty());
    auto *description = about->findChild<QLabel *>("aboutDescriptionlab");
    ASSERT_NE(description, nullptr);
    EXPECT_FALSE(description->text().isEmpty());
    auto *icon = about->findChild<QLabel *>("aboutIconlab");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
}
