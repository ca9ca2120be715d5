// One QApplication for the whole suite, on the offscreen platform unless the caller chose one.

#include <gtest/gtest.h>

#include <QApplication>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        m_application = new QApplication(m_argc, m_argv);
    }

    void TearDown() override {
        delete m_application;
        m_application = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[8] = "test_qt";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_application = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
