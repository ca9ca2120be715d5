#pragma once

#include <string>

namespace plivora::testdata {

// Root reads and writes whatever a file's mode says, so a test of a file or folder the program
// may not use takes another user's rights while it runs, as when one user made the file and the
// program runs as another. The top folder is opened to that user (its group and others may read
// and enter it, not write). Nothing happens when the test does not run as root.
class OtherUser {
public:
    explicit OtherUser(const std::string& topFolder);
    ~OtherUser();
    OtherUser(const OtherUser&) = delete;
    OtherUser& operator=(const OtherUser&) = delete;

private:
    bool m_active = false;
};

}  // namespace plivora::testdata
