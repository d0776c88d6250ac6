// Any bytes as a box file: the message record reads it (with and without a
// MIME codec, as a plain record and as one that forwards), writes it into a
// new file and reads that back. Nothing may crash or throw; the written file
// is whole blocks, reads back to its end, and carries exactly the header
// that was written.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/control_file.h"
#include "engine/qwk_msg.h"
#include "engine/tessel_mime.h"
#include "fuzz_support.h"

using namespace korrin;

namespace {

// The shared work folder (removed at exit), also the record's program folder
// for its temporary files.
const std::string& WorkDir() {
  static const std::string& dir = [] () -> const std::string& {
    const std::string& d = fuzz::WorkFolder("qwkmsg");
    ::setenv("KORRIN_HOME", d.c_str(), 1);
    return d;
  }();
  return dir;
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
  fuzz::WriteInput(path, std::string_view(reinterpret_cast<const char*>(data), size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string& dir = WorkDir();
  Write(dir + "in.qms", bytes, size);

  TTesselMime mime;
  TQWKMsg msg;
  if (size > 0 && (bytes[0] & 1)) msg.SetMimeCTRL(&mime);
  if (size > 1 && (bytes[1] & 1)) msg.SetForwardMessage(true);
  if (size > 2 && (bytes[2] & 1)) msg.SetTairline("Korrin v1 . 3");
  if (size > 3 && (bytes[3] & 1)) msg.SetTagline("tag");
  TConfRec box;
  box.Kind = TFolderKind::fkOutBox;
  bool loaded = msg.LoadFromFile(dir + "in.qms", box);
  if (!loaded && size > 0) std::abort();

  TBlockFile out;
  if (!out.Open(dir + "out.qms", TOpenMode::omCreate)) std::abort();
  if (!msg.WriteTo(out)) return 0;  // a message too large for the block field
  int64_t written = out.Position();
  out.Close();
  int64_t expected = msg.Blocks() > 0 ? static_cast<int64_t>(msg.Blocks()) * 128 : 128;
  if (written != expected) std::abort();

  TQWKMsg back;
  TBlockFile in;
  if (!in.Open(dir + "out.qms", TOpenMode::omRead)) std::abort();
  if (!back.ReadFrom(in)) std::abort();
  if (in.Position() != in.Size()) std::abort();
  if (!(back.Header() == msg.Header())) std::abort();
  if (back.Conference() != msg.Conference() || back.Alive() != msg.Alive()) std::abort();
  // Read again: the second pass is stable in its header fields.
  back.SetTairline(msg.Tairline());
  TBlockFile again;
  if (!again.Open(dir + "again.qms", TOpenMode::omCreate)) std::abort();
  back.WriteTo(again);
  return 0;
}
