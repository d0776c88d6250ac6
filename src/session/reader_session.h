#pragma once
// What the reader holds of the packet engine while it runs: the registry
// and settings, the post-office list, the folder tree, the message record
// and codec, the door files, the archive component, the packet lifecycle
// and the work folder. The main window and korrin-tool both stand on one.

#include <memory>
#include <string>

#include "archive/xceed_zip.h"
#include "engine/door_control.h"
#include "engine/mail_tree.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/tessel_mime.h"
#include "engine/to_door.h"
#include "engine/to_reader.h"
#include "explorer/settings.h"
#include "platform/failure.h"
#include "platform/registry.h"

namespace korrin {

struct TSessionOptions {
  // The settings registry's file: empty for the user's
  // (TRegistry::RegistryFileName()), ":memory:" for one that lives only as
  // long as the session.
  std::string RegistryFile;
  // Opening a packet records its BBS in the post-office list (and its
  // folder) and reads the door's id.
  bool RecordPostOffice = true;
};

class TReaderSession {
public:
  explicit TReaderSession(const TSessionOptions& options = {});
  ~TReaderSession();
  TReaderSession(const TReaderSession&) = delete;
  TReaderSession& operator=(const TReaderSession&) = delete;

  // Makes this run's work folder: a new uniquely named folder in `parent`
  // (the system temporary folder when empty). Returns false, after the
  // box, when it could not be made.
  bool CreateWorkFolder(const std::string& parent = std::string());
  // Reads "PO.CFG" of the program folder and the registry settings, and
  // hands the settings that the lifecycle and the tree use to them.
  void LoadConfiguration();
  // Applies the settings to the lifecycle and the tree (after Options).
  void ApplySettings();
  // Writes the settings and "PO.CFG" back, each failure in its box.
  void SaveConfiguration();
  // Empties and removes the work folder.
  void RemoveWorkFolder();

  // A reply packet (".REP", any case) or a packet.
  static bool IsReplyPacketName(const std::string& path);
  // Closes an open packet first (a failure without text when the user keeps
  // it), then opens `path` as a reply packet or a packet by its name. The
  // failure is the caller's to show.
  TResult OpenFile(const std::string& path);
  // Unpacks the files of a packet (or, with `reply`, of a reply packet)
  // into the work folder.
  TUnpackOutcome UnpackPacket(const std::string& path, bool reply);
  // Reads an unpacked packet in `folder` into the tree
  // (TPacketLifecycle::ReadPacketFolder).
  TResult ReadPacketFolder(const std::string& folder);

  TRegistry& Registry() { return registry_; }
  TMainSettings& Settings() { return settings_; }
  const TMainSettings& Settings() const { return settings_; }
  TQWKPostOffice& PostOffice() { return postOffice_; }
  const TQWKPostOffice& PostOffice() const { return postOffice_; }
  TMailTree& Tree() { return tree_; }
  const TMailTree& Tree() const { return tree_; }
  TQWKMsg& Message() { return message_; }
  TTesselMime& Mime() { return mime_; }
  TToReader& ToReader() { return toReader_; }
  TDoorControl& DoorControl() { return door_; }
  TToDoor& ToDoor() { return toDoor_; }
  TXceedZip& Zip() { return zip_; }
  TPacketLifecycle& Lifecycle() { return *life_; }
  // With a trailing separator; empty before CreateWorkFolder.
  const std::string& WorkFolder() const { return workFolder_; }

private:
  TRegistry registry_;
  TMainSettings settings_;
  TQWKPostOffice postOffice_;
  TMailTree tree_;
  TQWKMsg message_;
  TTesselMime mime_;
  TToReader toReader_;
  TDoorControl door_;
  TToDoor toDoor_;
  TXceedZip zip_;
  std::unique_ptr<TPacketLifecycle> life_;
  std::string workFolder_;
};

}  // namespace korrin
