/* Preloaded into a process by the durability tests: writes to the file named by
 * ZORVIK_DISK_TRACE, one line each, the calls that decide what a crash leaves on disk, in the
 * order they succeed: "fsync FILE", "fsync-folder FOLDER", "rename FROM TO", "link FROM TO",
 * "unlink PATH". Paths are written with their folders' links resolved, so that a file flushed
 * through its descriptor and renamed through its path read alike. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* a folder's resolved path, a slash and a name */
#define PATH_TEXT (2 * PATH_MAX + 2)

static void record(const char* what, const char* first, const char* second) {
    const char* trace = getenv("ZORVIK_DISK_TRACE");
    if (trace == NULL) {
        return;
    }
    char line[2 * PATH_TEXT + 32];
    const int length = snprintf(line, sizeof line, "%s %s%s%s\n", what, first,
                                second != NULL ? " " : "", second != NULL ? second : "");
    const int fd = open(trace, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        if (write(fd, line, (size_t)length) < 0) {
            /* nothing to do: the test finds the line missing */
        }
        close(fd);
    }
}

/* The path with its folder's links resolved; the last part as given (it may not exist yet). */
static void canonical(int folderFd, const char* path, char* out) {
    char given[PATH_MAX];
    if (path[0] != '/' && folderFd != AT_FDCWD) {
        char fdPath[64];
        snprintf(fdPath, sizeof fdPath, "/proc/self/fd/%d", folderFd);
        const ssize_t length = readlink(fdPath, given, sizeof given - 1);
        given[length > 0 ? length : 0] = '\0';
        strncat(given, "/", sizeof given - strlen(given) - 1);
        strncat(given, path, sizeof given - strlen(given) - 1);
    } else {
        snprintf(given, sizeof given, "%s", path);
    }
    char* slash = strrchr(given, '/');
    char folder[PATH_MAX];
    if (slash == NULL) {
        snprintf(out, PATH_TEXT, "%s", given);
        return;
    }
    *slash = '\0';
    if (realpath(given[0] != '\0' ? given : "/", folder) == NULL) {
        snprintf(folder, sizeof folder, "%s", given);
    }
    snprintf(out, PATH_TEXT, "%s/%s", strcmp(folder, "/") == 0 ? "" : folder, slash + 1);
}

static void recordFlush(int fd) {
    char fdPath[64];
    char path[PATH_MAX];
    snprintf(fdPath, sizeof fdPath, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(fdPath, path, sizeof path - 1);
    path[length > 0 ? length : 0] = '\0';
    struct stat info;
    const int folder = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    record(folder ? "fsync-folder" : "fsync", path, NULL);
}

static void recordTwo(const char* what, int fromFd, const char* from, int toFd, const char* to) {
    char first[PATH_TEXT];
    char second[PATH_TEXT];
    canonical(fromFd, from, first);
    canonical(toFd, to, second);
    record(what, first, second);
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

int fsync(int fd) {
    const int result = NEXT(fsync)(fd);
    if (result == 0) {
        recordFlush(fd);
    }
    return result;
}

int fdatasync(int fd) {
    const int result = NEXT(fdatasync)(fd);
    if (result == 0) {
        recordFlush(fd);
    }
    return result;
}

int rename(const char* from, const char* to) {
    char first[PATH_TEXT];
    canonical(AT_FDCWD, from, first);
    const int result = NEXT(rename)(from, to);
    if (result == 0) {
        char second[PATH_TEXT];
        canonical(AT_FDCWD, to, second);
        record("rename", first, second);
    }
    return result;
}

int renameat(int fromFd, const char* from, int toFd, const char* to) {
    char first[PATH_TEXT];
    canonical(fromFd, from, first);
    const int result = NEXT(renameat)(fromFd, from, toFd, to);
    if (result == 0) {
        char second[PATH_TEXT];
        canonical(toFd, to, second);
        record("rename", first, second);
    }
    return result;
}

int renameat2(int fromFd, const char* from, int toFd, const char* to, unsigned int flags) {
    char first[PATH_TEXT];
    canonical(fromFd, from, first);
    const int result = NEXT(renameat2)(fromFd, from, toFd, to, flags);
    if (result == 0) {
        char second[PATH_TEXT];
        canonical(toFd, to, second);
        record("rename", first, second);
    }
    return result;
}

int link(const char* from, const char* to) {
    const int result = NEXT(link)(from, to);
    if (result == 0) {
        recordTwo("link", AT_FDCWD, from, AT_FDCWD, to);
    }
    return result;
}

int linkat(int fromFd, const char* from, int toFd, const char* to, int flags) {
    const int result = NEXT(linkat)(fromFd, from, toFd, to, flags);
    if (result == 0) {
        recordTwo("link", fromFd, from, toFd, to);
    }
    return result;
}

int unlink(const char* path) {
    char named[PATH_TEXT];
    canonical(AT_FDCWD, path, named);
    const int result = NEXT(unlink)(path);
    if (result == 0) {
        record("unlink", named, NULL);
    }
    return result;
}

int unlinkat(int folderFd, const char* path, int flags) {
    char named[PATH_TEXT];
    canonical(folderFd, path, named);
    const int result = NEXT(unlinkat)(folderFd, path, flags);
    if (result == 0) {
        record("unlink", named, NULL);
    }
    return result;
}
