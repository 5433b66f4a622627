#pragma once

#include <QString>

#include <exception>

// A run-time error carrying its number, and the operating system's own words for it where there
// are any. Handlers trap it with try/catch around their body.
struct RuntimeError : std::exception {
    int number;
    QString detail;
    explicit RuntimeError(int n, QString osText = QString()) : number(n), detail(std::move(osText))
    {}
    const char* what() const noexcept override { return "run-time error"; }
};

namespace Err {
constexpr int InvalidArgument = 5;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DiskFull = 61;
constexpr int PermissionDenied = 70; // also a port the user may not open (not in `dialout`)
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int NoSuchPort = 8002;
constexpr int PortBusy = 8005;
constexpr int ApplyStateFailed = 8015;
constexpr int PortNotOpen = 8018;
constexpr int ReadFailed = 8020;
constexpr int DialogCancelled = 32755;
} // namespace Err

// Maps a C errno value from a file operation onto the runtime's file error numbers.
// `missingMeans` tells what ENOENT means for the operation: a missing folder when creating
// (PathNotFound) or a missing file when deleting (FileNotFound).
int fileErrorFromErrno(int err, int missingMeans = Err::PathNotFound);

// What a run-time error number means, for the log ("" for a number the program does not use).
const char* errorName(int number);
