#pragma once

// Names of the settings file, its sections and keys. Changing any of them loses what users
// have stored.
namespace store::keys {

inline constexpr const char* kFileName = "\\corvantile.ini";
inline constexpr unsigned kSystemDirLimit = 100; // characters asked of the system directory

inline constexpr const char* kOption = "Option";
inline constexpr const char* kSaveUserPwd = "SaveUserPwd";
inline constexpr const char* kUser = "User";
inline constexpr const char* kPwd = "Pwd";
inline constexpr const char* kPos = "Pos";

inline constexpr const char* kMemory = "Memory";
inline constexpr const char* kMaxDataNumber = "MaxDataNumber";

inline constexpr const char* kData = "Data";

// What each connection was (ConnectionDetail.h), under its record's key data[n]. A section
// older versions never read.
inline constexpr const char* kDataDetail = "DataDetail";

// The connection that is up, saved while it runs so that a kill or a power cut loses at most
// the time since the last save. A section older versions never read.
inline constexpr const char* kRunning = "Running";
inline constexpr const char* kRunningRecord = "Record";
// The process that saved it (RunningOwner.h); a key of its own, which older versions ignore.
inline constexpr const char* kRunningProcess = "Process";
// The running connection's detail, and its connect moment in UTC milliseconds since 1970.
inline constexpr const char* kRunningDetail = "Detail";
inline constexpr const char* kRunningConnectedAt = "ConnectedAt";

inline constexpr const char* kTrue = "True";
inline constexpr const char* kFalse = "False";

} // namespace store::keys
