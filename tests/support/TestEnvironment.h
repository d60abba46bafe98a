#pragma once

#include <QTemporaryDir>

// What every test program sets up before its application object: a private home folder
// (HOME, XDG folders, TMPDIR), offscreen windows, no network, and the fixtures folder checked.
class TestEnvironment {
  public:
    TestEnvironment();
    // False, after printing one line that says why, when the tests cannot run.
    bool ready() const { return m_ready; }
    // After InitGoogleTest: puts the server variables back after every test.
    static void installListeners();

  private:
    QTemporaryDir m_home;
    bool m_ready = false;
};
