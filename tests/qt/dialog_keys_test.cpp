#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "app/form11.h"
#include "app/form5.h"
#include "app/program.h"
#include "qt/qt_host.h"
#include "support/temp_folder.h"

namespace plivora {
namespace {

// Enter and Escape in the warning and About boxes, sent to the focused OK button as the keyboard
// would: the button does not use them, so they reach the window, which presses its button.
class DialogKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<QtHost>();
        program = std::make_unique<Program>(*host, ProgramPaths{root, root, ",", root});
        program->start();
    }
    void TearDown() override {
        program.reset();
        host.reset();
    }

    // The one warning window on show, found among the top-level widgets by its caption.
    QWidget* shownWarningWindow() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowTitle() == QStringLiteral("Warning Message")) {
                return window;
            }
        }
        return nullptr;
    }

    TempFolder folder;
    std::string root = folder.path();
    std::unique_ptr<QtHost> host;
    std::unique_ptr<Program> program;
};

TEST_F(DialogKeysTest, EnterAndEscapeCloseTheWarningBox) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        program->form11().AnswerOk("Error # 70\rPermission denied");
        ASSERT_EQ(program->openWarningWindows(), 1);
        QWidget* window = shownWarningWindow();
        ASSERT_NE(window, nullptr);
        QWidget* okButton = window->focusWidget() != nullptr ? window->focusWidget() : window;
        QTest::keyClick(okButton, key);
        EXPECT_EQ(program->openWarningWindows(), 0);
    }
}

TEST_F(DialogKeysTest, EnterAndEscapeCloseTheAboutBox) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        Form5& about = program->form5();
        about.show();
        ASSERT_TRUE(about.isLoaded());
        QTest::keyClick(host->widgetOf(about.cmdOk), key);
        EXPECT_FALSE(about.isLoaded());
    }
}

}  // namespace
}  // namespace plivora
