#include "output/file_metadata.h"

#include <grp.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace wordloom::output {

namespace {

// The kernel's own limit on links followed in one lookup.
constexpr int kMaxLinks = 40;

// The names of the extended attributes of a file, by path or descriptor; `list` is llistxattr or
// flistxattr bound to the file. Empty on a file system without them.
template <typename List>
bool attributeNames(List list, std::vector<std::string>& names) {
    names.clear();
    for (;;) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0) {
            return errno == ENOTSUP;
        }
        std::string buffer(static_cast<std::size_t>(size), '\0');
        const ssize_t got = list(buffer.data(), buffer.size());
        if (got < 0 && errno == ERANGE) {
            continue;  // the list grew meanwhile
        }
        if (got < 0) {
            return false;
        }
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const std::string name(buffer.c_str() + at);
            at += name.size() + 1;
            names.push_back(name);
        }
        return true;
    }
}

bool copyAttribute(const std::string& source, const std::string& name, int descriptor) {
    for (;;) {
        const ssize_t size = ::lgetxattr(source.c_str(), name.c_str(), nullptr, 0);
        if (size < 0) {
            return errno == ENODATA;  // removed meanwhile
        }
        std::string value(static_cast<std::size_t>(size), '\0');
        const ssize_t got = ::lgetxattr(source.c_str(), name.c_str(), value.data(), value.size());
        if (got < 0 && errno == ERANGE) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        return ::fsetxattr(descriptor, name.c_str(), value.data(), static_cast<std::size_t>(got),
                           0) == 0;
    }
}

bool inGroup(gid_t group) {
    if (group == ::getegid()) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.end();
}

}  // namespace

std::string followLinks(std::string path) {
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        struct stat entry {};
        if (::lstat(path.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) {
            return path;
        }
        std::string leadsTo(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.c_str(), leadsTo.data(), leadsTo.size());
        if (size < 0) {
            return path;  // the open reports what is wrong with it
        }
        leadsTo.resize(static_cast<std::size_t>(size));
        path = leadsTo.front() == '/' ? leadsTo : folderOf(path).append("/").append(leadsTo);
    }
    errno = ELOOP;
    return {};
}

std::string folderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

bool mayGiveOwnerOf(const struct stat& existing) {
    if (::geteuid() == 0) {
        return true;
    }
    return existing.st_uid == ::geteuid() && inGroup(existing.st_gid);
}

bool copyWhatTheFileIs(const std::string& source, const struct stat& existing, int descriptor) {
    struct stat made {};
    if (::fstat(descriptor, &made) != 0) {
        return false;
    }
    // The owner first: a change of owner clears the set-user-ID bits that fchmod restores.
    if ((made.st_uid != existing.st_uid || made.st_gid != existing.st_gid) &&
        ::fchown(descriptor, existing.st_uid, existing.st_gid) != 0) {
        return false;
    }
    if (::fchmod(descriptor, existing.st_mode & 07777) != 0) {
        return false;
    }
    // The ACL after the mode: setting it sets the group bits from its mask, as they were.
    std::vector<std::string> wanted;
    std::vector<std::string> present;
    if (!attributeNames(
            [&](char* list, std::size_t size) { return ::llistxattr(source.c_str(), list, size); },
            wanted) ||
        !attributeNames(
            [&](char* list, std::size_t size) { return ::flistxattr(descriptor, list, size); },
            present)) {
        return false;
    }
    for (const std::string& name : present) {
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() &&
            ::fremovexattr(descriptor, name.c_str()) != 0) {
            return false;
        }
    }
    return std::all_of(wanted.begin(), wanted.end(), [&](const std::string& name) {
        return copyAttribute(source, name, descriptor);
    });
}

std::string userCacheFolder() {
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
        base = cache;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.cache";
    } else {
        return {};
    }
    std::string folder = base + "/wordloom";
    ::mkdir(base.c_str(), 0700);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    return folder;
}

}  // namespace wordloom::output
