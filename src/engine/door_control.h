#pragma once
// The mail door's identity and capabilities, read from "Door.id".

#include <cstdint>
#include <string>

namespace korrin {

inline constexpr const char* kDoorIdFileName = "Door.id";

// DoorFlags bits.
enum TDoorFlag : uint16_t {
  dfAdd = 0x1,
  dfDrop = 0x2,
  dfReset = 0x4,
  dfKeyword = 0x8,
  dfFilter = 0x10,
  dfTwit = 0x20,
  dfAllowRequest = 0x40,
  dfReceipt = 0x80,
  dfAllowFiles = 0x100,
  dfAllowAttach = 0x200,
};

// DoorType of a door not in the table (and without "Door.id").
inline constexpr uint8_t kUnknownDoorType = 10;

// The door type of an upper-cased door name; nothing when it is not known.
bool DoorTypeOf(const std::string& upperDoorName, uint8_t& type);

class TDoorControl {
public:
  TDoorControl() { ResetDoorInfo(); }

  // All texts empty, flags and maxima 0, DoorType 10.
  void ResetDoorInfo();
  // Resets, then reads "Door.id" (any letter case) of the folder when it
  // exists. An unreadable file leaves the reset values; a MAX value that is
  // not a number counts as 0 and the rest of the file is still read.
  void ReadDoorId(const std::string& directory);
  // True when DoorName, DoorVersion, DoorSystem and ControlName are all set.
  bool HasDoorIdentity() const;

  const std::string& DoorName() const { return doorName_; }
  const std::string& DoorVersion() const { return doorVersion_; }
  const std::string& DoorSystem() const { return doorSystem_; }
  const std::string& ControlName() const { return controlName_; }
  uint8_t DoorType() const { return doorType_; }
  uint16_t DoorFlags() const { return doorFlags_; }
  bool HasFlag(TDoorFlag flag) const { return (doorFlags_ & flag) != 0; }
  int32_t MaxKeywords() const { return maxKeywords_; }
  int32_t MaxFilters() const { return maxFilters_; }
  int32_t MaxTwits() const { return maxTwits_; }
  int32_t MaxRequests() const { return maxRequests_; }

  // One line of "Door.id" (exposed for the reading loop and tests).
  void ReadDoorIdLine(const std::string& line);

private:
  std::string doorName_, doorVersion_, doorSystem_, controlName_;
  uint8_t doorType_ = kUnknownDoorType;
  uint16_t doorFlags_ = 0;
  int32_t maxKeywords_ = 0, maxFilters_ = 0, maxTwits_ = 0, maxRequests_ = 0;
};

}  // namespace korrin
