#include "support/other_user.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace plivora::testdata {

namespace {
constexpr uid_t kNobody = 65534;
}  // namespace

OtherUser::OtherUser(const std::string& topFolder) : m_active(::geteuid() == 0) {
    if (!m_active) {
        return;
    }
    std::filesystem::permissions(topFolder, std::filesystem::perms::all &
                                                ~std::filesystem::perms::others_write &
                                                ~std::filesystem::perms::group_write);
    EXPECT_EQ(::seteuid(kNobody), 0);
}

OtherUser::~OtherUser() {
    if (m_active) {
        EXPECT_EQ(::seteuid(0), 0);
    }
}

}  // namespace plivora::testdata
