#pragma once
// The system's reasons for failed file operations, as the runtime words them in its messages
// (the system message text without its final full stop).
namespace sim::reason {

constexpr const char* kFileNotFound = "The system cannot find the file specified";
constexpr const char* kPathNotFound = "The system cannot find the path specified";
constexpr const char* kAccessDenied = "Access is denied";
constexpr const char* kSharingViolation =
    "The process cannot access the file because it is being used by another process";
constexpr const char* kNotEnoughMemory = "Not enough storage is available to process this command";
constexpr const char* kInvalidParameter = "The parameter is incorrect";
constexpr const char* kFileExists = "The file exists";
constexpr const char* kNotReady = "The device is not ready";
constexpr const char* kDiskFull = "There is not enough space on the disk";
constexpr const char* kNotSameDevice = "The system cannot move the file to a different disk drive";
constexpr const char* kAlreadyExists = "Cannot create a file when that file already exists";

}  // namespace sim::reason
