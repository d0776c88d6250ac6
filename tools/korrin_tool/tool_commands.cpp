#include "korrin_tool/tool_commands.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

#include "engine/block_file.h"
#include "engine/bulletins.h"
#include "engine/control_file.h"
#include "engine/extended_headers.h"
#include "engine/packet_lifecycle.h"
#include "engine/messages_file.h"
#include "engine/qwk_blocks.h"
#include "engine/qwk_index.h"
#include "engine/qwk_msg.h"
#include "explorer/mail_commands.h"
#include "engine/mail_list.h"
#include "korrin_tool/json_writer.h"
#include "korrin_tool/mbox_writer.h"
#include "korrin_tool/text_convert.h"
#include "korrin_tool/tool_packet.h"
#include "korrin_tool/tool_search.h"
#include "korrin_tool/tool_post.h"
#include "korrin_tool/viewer_texts.h"
#include "platform/charset.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "platform/text.h"
#include "reading/ansi_text.h"
#include "reading/msg_view_header.h"
#include "engine/tessel_mime.h"

namespace fs = std::filesystem;

namespace korrin::tool {

namespace {

// ---------------------------------------------------------------- usage

const char* const kOverview =
    "usage: korrin-tool COMMAND [options]\n"
    "\n"
    "Reads QWK mail packets outside the reader's window.\n"
    "\n"
    "commands:\n"
    "  info PACKET          the packet's BBS, user, date and folder tree\n"
    "  list PACKET          the messages of a conference, of personal mail or of all conferences\n"
    "  show PACKET          one message as the viewer shows it\n"
    "  extract PACKET       the files attached to a message\n"
    "  export PACKET        every message into an mbox mailbox\n"
    "  replies REPFILE      the messages of a reply packet\n"
    "  search PACKET        the messages that match the mail finder's criteria\n"
    "  post PACKET ...      write a message into the post office's Out Box\n"
    "  build-reply PACKET   build the reply packet of the post office\n"
    "\n"
    "PACKET is a packet file (.qwk or any archive the unpacking plugin reads) or an\n"
    "unpacked packet folder; it is never written to. Every command takes --json for\n"
    "one JSON document instead of text, and --help.\n"
    "\n"
    "The archive plugins are loaded from $KORRIN_PLUGIN_DIR, the program's folder or\n"
    "lib/korrin/ of the prefix it is installed in.\n"
    "Exit codes: 0 success, 1 a packet that cannot be read, 2 wrong usage.\n";

const std::map<std::string, std::string>& Usages() {
  static const std::map<std::string, std::string> u = {
      {"info",
       "usage: korrin-tool info PACKET [--json]\n"
       "\n"
       "Shows the packet identity (BBS name, BBSID, date, time, user, conferences\n"
       "announced and received), the folder tree in display order with each\n"
       "folder's caption, kind, index file, ordinal and number of messages, and\n"
       "the packet's bulletins (welcome, news and goodbye screens, BLT- files).\n"},
      {"list",
       "usage: korrin-tool list PACKET [--conference NUMBER | --personal] [--json]\n"
       "\n"
       "One row per message: position in the folder, conference, message number,\n"
       "date, time, From, To, Subject, status and READ or NEW, as the message list\n"
       "shows them. Without an option every conference is listed.\n"},
      {"show",
       "usage: korrin-tool show PACKET (--conference NUMBER | --personal) --message POSITION\n"
       "                        [--kludges] [--ansi] [--json]\n"
       "       korrin-tool show PACKET --bulletin NAME [--ansi] [--json]\n"
       "\n"
       "Shows message POSITION (1 for the first, as `list` numbers them) of the\n"
       "folder: the header as the viewer shows it, the text and the names of the\n"
       "attached files. Kludge lines (the networks' control lines) are shown only\n"
       "with --kludges. --bulletin shows a bulletin of the packet instead, named\n"
       "by its file name or its caption as `info` lists them. Colour sequences\n"
       "are left out of the text; --ansi passes the colours on to the terminal.\n"},
      {"extract",
       "usage: korrin-tool extract PACKET (--conference NUMBER | --personal) --message POSITION\n"
       "                           [--attachment NAME] --to FOLDER [--force] [--json]\n"
       "\n"
       "Writes one attached file (NAME, letter case and blanks ignored) or all of\n"
       "them into FOLDER, which is created when missing. Names are cleaned as the\n"
       "viewer cleans them, so nothing is written outside FOLDER. An existing file\n"
       "is only replaced with --force.\n"},
      {"export",
       "usage: korrin-tool export PACKET --mbox FILE [--conference NUMBER | --personal]\n"
       "                          [--no-attachments] [--force] [--jobs N] [--json]\n"
       "\n"
       "Writes every message (or those of one folder) into an mbox mailbox that\n"
       "desktop mail programs open: RFC 5322 headers, the text in UTF-8, attached\n"
       "files as MIME parts (left out with --no-attachments). A message listed in\n"
       "several folders is written once. FILE \"-\" writes to standard output; an\n"
       "existing FILE is only replaced with --force. Large packets are read by N\n"
       "processes at once (default: one per processor, at most 4); the mailbox is\n"
       "the same whatever N is.\n"},
      {"replies",
       "usage: korrin-tool replies REPFILE [--json]\n"
       "\n"
       "Lists the messages of a reply packet (.rep archive, unpacked folder or the\n"
       "reply file itself): conference, From, To, Subject, number of lines and the\n"
       "attached files, followed by the door commands of todoor.ext.\n"},
  };
  return u;
}

// ---------------------------------------------------------------- command line

struct TCommandLine {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  bool json = false;

  bool Has(const std::string& name) const { return values.count(name) > 0 || flags.count(name) > 0; }
  const std::string* Value(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? nullptr : &it->second;
  }
};

EToolError Usage(const std::string& command, const std::string& text) {
  std::string line = text;
  if (!command.empty()) line += " (see korrin-tool " + command + " --help)";
  else line += " (see korrin-tool --help)";
  return EToolError(kExitUsage, line);
}

// Options with a value and plain flags of each command.
struct TOptionSet {
  std::set<std::string> values;
  std::set<std::string> flags;
};

const TOptionSet& OptionsOf(const std::string& command) {
  static const std::map<std::string, TOptionSet> sets = {
      {"info", {{}, {}}},
      {"list", {{"--conference"}, {"--personal"}}},
      {"show", {{"--conference", "--message", "--bulletin"}, {"--personal", "--kludges", "--ansi"}}},
      {"extract", {{"--conference", "--message", "--attachment", "--to"}, {"--personal", "--force"}}},
      {"export", {{"--mbox", "--conference", "--jobs"}, {"--personal", "--no-attachments", "--force"}}},
      {"replies", {{}, {}}},
  };
  return sets.at(command);
}

TCommandLine Parse(const std::vector<std::string>& args) {
  TCommandLine cl;
  cl.command = args.at(0);
  const TOptionSet& set = OptionsOf(cl.command);
  bool onlyPositional = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (onlyPositional || a.size() < 2 || a[0] != '-' || a == "-") {
      cl.positional.push_back(a);
      continue;
    }
    if (a == "--") {
      onlyPositional = true;
      continue;
    }
    std::string name = a, value;
    bool inlineValue = false;
    if (auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      inlineValue = true;
    }
    if (name == "--json" && !inlineValue) {
      cl.json = true;
    } else if (set.values.count(name)) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) throw Usage(cl.command, name + " needs a value");
        value = args[++i];
      }
      if (cl.values.count(name)) throw Usage(cl.command, name + " given twice");
      cl.values[name] = value;
    } else if (set.flags.count(name) && !inlineValue) {
      cl.flags.insert(name);
    } else {
      throw Usage(cl.command, "unknown option " + a);
    }
  }
  return cl;
}

const std::string& OnePacket(const TCommandLine& cl, const char* what = "PACKET") {
  if (cl.positional.empty()) throw Usage(cl.command, std::string(what) + " is missing");
  if (cl.positional.size() > 1) throw Usage(cl.command, "unexpected argument " + cl.positional[1]);
  return cl.positional[0];
}

int PositiveNumber(const TCommandLine& cl, const std::string& option) {
  const std::string* v = cl.Value(option);
  if (!v) throw Usage(cl.command, option + " is missing");
  auto n = ParseInt(*v);
  if (!n || *n < 1 || *n > INT32_MAX) throw Usage(cl.command, option + " needs a number from 1 on, not \"" + *v + "\"");
  return static_cast<int>(*n);
}

// The folder named by --conference or --personal.
struct TFolderChoice {
  bool any = false;       // neither option: every conference
  bool personal = false;
  std::string number;     // --conference
};

TFolderChoice FolderChoice(const TCommandLine& cl, bool required) {
  TFolderChoice c;
  const std::string* conf = cl.Value("--conference");
  c.personal = cl.flags.count("--personal") > 0;
  if (conf && c.personal) throw Usage(cl.command, "--conference and --personal exclude each other");
  if (conf) {
    std::string n = Trim(*conf);
    if (n.empty() || n.find_first_of("/\\") != std::string::npos)
      throw Usage(cl.command, "--conference needs a conference number");
    c.number = n;
  }
  c.any = !conf && !c.personal;
  if (required && c.any) throw Usage(cl.command, "--conference NUMBER or --personal is missing");
  return c;
}

TMailTreeNode* ChosenFolder(TToolPacket& packet, const TFolderChoice& c) {
  if (c.personal) {
    TMailTreeNode* node = packet.Personal();
    if (!node) throw EToolError(kExitUnreadable, packet.Source() + ": the packet holds no personal messages");
    return node;
  }
  TMailTreeNode* node = packet.FindConference(c.number);
  if (!node) throw EToolError(kExitUnreadable, packet.Source() + ": no conference " + c.number + " in the packet");
  return node;
}

std::vector<TMailTreeNode*> ChosenFolders(TToolPacket& packet, const TFolderChoice& c) {
  if (c.any) return packet.ConferenceNodes(false);
  return {ChosenFolder(packet, c)};
}

// ---------------------------------------------------------------- text helpers

// Texts of the packet in the form of the output chosen: JSON gets every
// character as it is (the writer escapes controls), text output shows
// control characters as the code page's pictures.
thread_local bool jsonOutput = false;
// An identifier without the angle brackets around it.
std::string StripAngles(std::string id) {
  id = Trim(id);
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
  return id;
}

// An identifier of the board's extended headers as a Message-ID ("local@domain").
std::string BoardMessageId(const std::string& raw) {
  const std::string id = StripAngles(raw);
  if (id.empty()) return {};
  const size_t at = id.rfind('@');
  if (at == std::string::npos) return {};
  return MessageIdText(MailText(id.substr(0, at))) + "@" + MessageIdText(MailText(id.substr(at + 1)));
}

std::string U(const std::string& cp437) { return jsonOutput ? Cp437Text(cp437) : TerminalText(cp437); }
// Message bytes in the message's character set.
std::string U(const std::string& bytes, const std::string& charset) {
  return jsonOutput ? CharsetText(bytes, charset) : TerminalText(bytes, charset);
}

size_t Width(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

const char* KindName(const TConfRec* rec) {
  if (!rec) return "group";
  switch (rec->Kind) {
    case TFolderKind::fkPacketInBox: return "packet-in-box";
    case TFolderKind::fkOutBox: return "out-box";
    case TFolderKind::fkSaveBox: return "save-box";
    case TFolderKind::fkSentBox: return "sent-box";
    case TFolderKind::fkConference: return "conference";
    case TFolderKind::fkDownloads: return "downloads";
    case TFolderKind::fkPostOfficeInBox: return "post-office-in-box";
    case TFolderKind::fkNewFiles: return "new-files";
    case TFolderKind::fkBulletins: return "bulletins";
  }
  return "unknown";
}

const char* StatusName(tStatus s) {
  switch (s) {
    case tStatus::sPublic: return "public";
    case tStatus::sPrivate: return "private";
    case tStatus::sSysop: return "sysop";
    case tStatus::sPassword: return "password";
  }
  return "public";
}

// A text table: columns padded to their widest cell.
class TTable {
public:
  explicit TTable(std::vector<std::string> head) { rows_.push_back(std::move(head)); }
  void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
  void Print(std::ostream& out, const std::string& indent = "") const {
    std::vector<size_t> w;
    for (const auto& r : rows_)
      for (size_t i = 0; i < r.size(); ++i) {
        if (w.size() <= i) w.push_back(0);
        w[i] = std::max(w[i], Width(r[i]));
      }
    for (const auto& r : rows_) {
      std::string line = indent;
      for (size_t i = 0; i < r.size(); ++i) line += i + 1 < r.size() ? PadRight(r[i], w[i] + 2) : r[i];
      out << TrimRight(line) << "\n";
    }
  }

private:
  std::vector<std::vector<std::string>> rows_;
};

// ---------------------------------------------------------------- info

int CmdInfo(const TCommandLine& cl, std::ostream& out, std::ostream& err) {
  const std::string& path = OnePacket(cl);
  TWorkFolder work;
  TToolPacket packet(work);
  packet.Open(path, false);
  TMailTree& tree = packet.Tree();
  const PacketIdentity& id = tree.Identity();

  struct TRow {
    TMailTreeNode* node;
    std::optional<int> conference;
    int32_t messages;
  };
  std::vector<TRow> rows;
  for (TMailTreeNode* node : tree.Nodes()) {
    TRow r{node, std::nullopt, -1};
    if (node->Record && node->Record->Kind == TFolderKind::fkConference) {
      r.conference = ConferenceNumberOf(*node->Record);
      r.messages = packet.MessageCount(*node->Record);
    }
    rows.push_back(r);
  }
  const std::vector<TBulletin> bulletins = FindBulletins(tree.Directory());

  if (cl.json) {
    TJsonWriter j(out);
    j.BeginObject();
    j.Field("packet", path);
    j.Field("bbsName", U(id.BBSName));
    j.Field("bbsId", U(id.BBSID));
    j.Field("packetDate", U(id.PacketDate));
    j.Field("packetTime", U(id.PacketTime));
    j.Field("userName", U(id.UserName));
    j.Field("conferencesAnnounced", static_cast<int64_t>(id.ConferencesAnnounced));
    j.Field("conferencesReceived", static_cast<int64_t>(id.ConferencesReceived));
    j.Field("downloadCount", tree.DownloadCount());
    j.Key("folders");
    j.BeginArray();
    for (const auto& r : rows) {
      const TConfRec* rec = r.node->Record.get();
      j.BeginObject();
      j.Field("caption", U(r.node->Caption));
      j.Key("name");
      rec ? j.String(U(rec->Name)) : j.Null();
      j.Field("kind", r.node == tree.Root() ? "bbs" : KindName(rec));
      j.Key("kindCode");
      rec ? j.Int(static_cast<int>(rec->Kind)) : j.Null();
      j.Field("level", r.node->Level());
      j.Key("indexFile");
      rec && !rec->IndexFile.empty() ? j.String(U(rec->IndexFile)) : j.Null();
      j.Key("ordinal");
      rec ? j.Int(rec->Ordinal) : j.Null();
      j.Key("conference");
      r.conference ? j.Int(*r.conference) : j.Null();
      j.Key("messages");
      r.messages >= 0 ? j.Int(r.messages) : j.Null();
      j.EndObject();
    }
    j.EndArray();
    j.Key("bulletins");
    j.BeginArray();
    for (const auto& b : bulletins) {
      j.BeginObject();
      j.Field("caption", U(b.Caption));
      j.Field("file", U(b.FileName));
      j.Field("size", static_cast<int64_t>(b.Size));
      j.Field("date", b.Date);
      j.EndObject();
    }
    j.EndArray();
    j.EndObject();
    j.Finish();
  } else {
    out << "Packet:       " << path << "\n";
    out << "BBS name:     " << U(id.BBSName) << "\n";
    out << "BBSID:        " << U(id.BBSID) << "\n";
    out << "Packet date:  " << U(id.PacketDate) << "\n";
    out << "Packet time:  " << U(id.PacketTime) << "\n";
    out << "User:         " << U(id.UserName) << "\n";
    out << "Conferences:  " << id.ConferencesAnnounced << " announced, " << id.ConferencesReceived << " received\n";
    out << "\n";
    TTable t({"Folder", "Kind", "Index", "Ordinal", "Messages"});
    for (const auto& r : rows) {
      const TConfRec* rec = r.node->Record.get();
      std::string caption = std::string(static_cast<size_t>(r.node->Level()) * 2, ' ') + U(r.node->Caption);
      t.Add({caption, r.node == tree.Root() ? "bbs" : KindName(rec), rec ? U(rec->IndexFile) : "",
             rec && rec->Ordinal > 0 ? std::to_string(rec->Ordinal) : "",
             r.messages >= 0 ? std::to_string(r.messages) : ""});
    }
    t.Print(out);
    if (!bulletins.empty()) {
      out << "\n";
      TTable bt({"Bulletin", "File", "Size", "Date"});
      for (const auto& b : bulletins) bt.Add({U(b.Caption), U(b.FileName), std::to_string(b.Size), b.Date});
      bt.Print(out);
    }
  }
  return kExitOk;
}

// ---------------------------------------------------------------- list

int CmdList(const TCommandLine& cl, std::ostream& out, std::ostream& err) {
  const std::string& path = OnePacket(cl);
  TFolderChoice choice = FolderChoice(cl, false);
  TWorkFolder work;
  TToolPacket packet(work);
  packet.Open(path, false);
  std::vector<TMailTreeNode*> folders = ChosenFolders(packet, choice);

  // The window's message list computes the texts of every row.
  TMailList list;
  list.SetTextCase(TTextCase::tcProperName);
  list.SetToReader(&packet.ToReader());
  list.SetMailTree(&packet.Tree());

  std::unique_ptr<TJsonWriter> j;
  if (cl.json) {
    j = std::make_unique<TJsonWriter>(out);
    j->BeginObject();
    j->Field("packet", path);
    j->Key("messages");
    j->BeginArray();
  } else {
    out << PadRight("Pos", 6) << PadRight("Conf", 6) << PadRight("Number", 8) << PadRight("Date", 9)
        << PadRight("Time", 6) << PadRight("From", 26) << PadRight("To", 26) << PadRight("Subject", 26)
        << PadRight("Status", 9) << "Read\n";
  }

  TMessagesFile messages;
  messages.Open(packet.Directory(), TOpenMode::omRead, false);
  for (TMailTreeNode* node : folders) {
    const TConfRec& rec = *node->Record;
    packet.Tree().Select(node);
    list.Refill();
    TQWKIndex index;
    index.Open(packet.Directory() + rec.IndexFile, false);
    const std::optional<int> folderConf = ConferenceNumberOf(rec);
    int32_t position = 0;
    TQWKHeader header;
    const TMailRows& rows = list.Rows();
    for (size_t r = 0; r < rows.size(); ++r) {
      const TMailListRow& row = rows[r];
      if (row.Record || row.SubItems.size() < 5) continue;  // a sub-folder row
      if ((++position & 1023) == 0) CheckInterrupted();
      // What the list could not read is not read again.
      auto block = rows.Unreadable(r) ? std::nullopt : index.BlockNumber(position);
      bool readable = block && messages.IsOpen() && messages.HoldsHeader(*block) && messages.ReadHeader(*block, header);
      TStatusChar st = readable ? DecodeStatusChar(header.StatusChar()) : TStatusChar{};
      std::string status = readable ? StatusName(st.Known ? st.Status : tStatus::sPublic) : "unreadable";
      const int conference = folderConf && !IsPersonal(rec) ? *folderConf : readable ? header.Conference() : 0;
      const std::string number = readable ? Trim(header.Number()) : "";
      const std::string time = readable ? Trim(header.Time()) : "";
      const bool killed = readable && header.Killed();
      const bool read = row.SubItems[4] == "READ";
      if (j) {
        j->BeginObject();
        j->Field("folder", U(rec.Name));
        j->Field("position", position);
        j->Field("conference", conference);
        j->Field("number", U(number));
        j->Field("date", U(row.Caption));
        j->Field("time", U(time));
        j->Field("from", U(row.SubItems[0], row.Charset));
        j->Field("to", U(row.SubItems[1], row.Charset));
        j->Field("subject", U(row.SubItems[2], row.Charset));
        j->Field("status", status);
        j->Field("killed", killed);
        j->Field("read", read);
        j->Field("readable", readable);
        j->EndObject();
      } else {
        out << PadRight(std::to_string(position), 6) << PadRight(std::to_string(conference), 6)
            << PadRight(U(number), 8) << PadRight(U(row.Caption), 9) << PadRight(U(time), 6)
            << PadRight(U(row.SubItems[0], row.Charset), 26) << PadRight(U(row.SubItems[1], row.Charset), 26)
            << PadRight(U(row.SubItems[2], row.Charset), 26) << PadRight(killed ? status + ",killed" : status, 9)
            << row.SubItems[4] << "\n";
      }
    }
    if (!out) break;
  }
  if (j) {
    j->EndArray();
    j->EndObject();
    j->Finish();
  }
  return kExitOk;
}

// ---------------------------------------------------------------- show

// One message read by the record, with the codec and the extension reader
// linked as the viewer links them.
struct TLoadedMessage {
  TQWKMsg msg;
  TTesselMime mime;
  TToReader toReader;
  TMailTreeNode* node = nullptr;
  // The attachment list of the viewer: the codec's names when it found an attachment.
  std::vector<std::string> attachments;
  bool wasMarkedRead = false;
};

void LoadMessage(TToolPacket& packet, const TFolderChoice& choice, int position, TLoadedMessage& m) {
  m.node = ChosenFolder(packet, choice);
  const TConfRec& rec = *m.node->Record;
  const int32_t count = packet.MessageCount(rec);
  const std::string folderName = choice.personal ? "personal messages" : "conference " + choice.number;
  if (position > count)
    throw EToolError(kExitUnreadable, packet.Source() + ": " + folderName + " has " + std::to_string(count) +
                                          " message" + (count == 1 ? "" : "s") + ", not " + std::to_string(position));
  m.msg.SetMimeCTRL(&m.mime);
  m.msg.SetQWKExtCTRL(&m.toReader);
  if (!m.msg.LoadFromPacket(packet.Directory(), position, rec))
    throw EToolError(kExitUnreadable, packet.Source() + ": message " + std::to_string(position) + " of " + folderName +
                                          " cannot be read");
  m.wasMarkedRead = m.msg.Header().MarkedRead();
  if (m.mime.AttachmentFound()) m.attachments = m.mime.FileNames();
}

// Lines of a message or bulletin for the output: without their colour
// sequences, or (--ansi, text output) with clean colour sequences only.
std::vector<std::string> ShownLines(const std::vector<std::string>& lines, bool ansi, const std::string& charset = {}) {
  std::vector<std::string> out;
  out.reserve(lines.size());
  if (!ansi || jsonOutput) {
    for (const auto& l : lines) out.push_back(U(StripAnsi(l), charset));
    return out;
  }
  TAnsiParser parser;
  for (const auto& l : lines)
    out.push_back(TerminalLine(parser.ParseLine(l), [&charset](std::string_view t) { return U(std::string(t), charset); }));
  return out;
}

int ShowBulletin(const TCommandLine& cl, const std::string& path, const std::string& name, std::ostream& out) {
  if (cl.Value("--conference") || cl.Value("--message") || cl.flags.count("--personal") || cl.flags.count("--kludges"))
    throw Usage(cl.command, "--bulletin takes no conference, message or kludge option");
  TWorkFolder work;
  TToolPacket packet(work);
  packet.Open(path, false);
  const auto bulletins = FindBulletins(packet.Tree().Directory());
  const TBulletin* b = FindBulletin(bulletins, name);
  if (!b) throw EToolError(kExitUnreadable, packet.Source() + ": no bulletin " + name + " in the packet");
  std::vector<std::string> lines;
  if (!ReadBulletinLines(b->Path, lines)) throw EToolError(kExitUnreadable, packet.Source() + ": cannot read " + b->FileName);
  const auto shown = ShownLines(lines, cl.flags.count("--ansi") > 0);
  if (cl.json) {
    TJsonWriter j(out);
    j.BeginObject();
    j.Field("packet", path);
    j.Field("caption", U(b->Caption));
    j.Field("file", U(b->FileName));
    j.Field("size", static_cast<int64_t>(b->Size));
    j.Field("date", b->Date);
    j.StringArray("text", shown);
    j.EndObject();
    j.Finish();
  } else {
    out << "Bulletin : " << U(b->Caption) << "    " << U(b->FileName) << "\n\n";
    for (const auto& line : shown) out << line << "\n";
  }
  return kExitOk;
}

int CmdShow(const TCommandLine& cl, std::ostream& out, std::ostream& err) {
  const std::string& path = OnePacket(cl);
  if (const std::string* bulletin = cl.Value("--bulletin")) return ShowBulletin(cl, path, *bulletin, out);
  TFolderChoice choice = FolderChoice(cl, true);
  const int position = PositiveNumber(cl, "--message");
  TWorkFolder work;
  TToolPacket packet(work);
  packet.Open(path, true);
  TLoadedMessage m;
  LoadMessage(packet, choice, position, m);
  const TQWKMsg& msg = m.msg;
  const TViewerHeader h = ViewerHeaderOf(msg);
  const bool showKludges = cl.flags.count("--kludges") > 0;
  std::vector<std::string> names;
  for (const auto& a : m.attachments) names.push_back(U(AnsiLowerCase(a)));

  if (cl.json) {
    TJsonWriter j(out);
    j.BeginObject();
    j.Field("packet", path);
    j.Field("folder", U(m.node->Record->Name));
    j.Field("conference", static_cast<int>(msg.Conference()));
    j.Field("position", static_cast<int64_t>(msg.IndexPosition()));
    j.Field("count", static_cast<int64_t>(msg.IndexCount()));
    j.Field("number", U(Trim(msg.Number())));
    j.Field("date", U(msg.PostDate()));
    j.Field("time", U(msg.PostTime()));
    j.Field("posted", U(h.Posted));
    j.Field("from", U(h.From, msg.Charset()));
    j.Field("to", U(h.To, msg.Charset()));
    j.Field("subject", U(h.Subject, msg.Charset()));
    j.Field("headerFrom", U(TrimRight(msg.MsgFROM()), msg.Charset()));
    j.Field("headerTo", U(TrimRight(msg.MsgTo()), msg.Charset()));
    j.Field("headerSubject", U(TrimRight(msg.Subject()), msg.Charset()));
    j.Field("carbonCopies", U(h.CarbonCopies, msg.Charset()));
    j.Field("conferenceLabel", U(h.ConfLabel));
    j.Field("status", StatusName(msg.Status()));
    j.Field("statusLabel", h.StatusLabel);
    j.StringArray("flags", h.FlagWords);
    j.Field("flagsLine", h.Flags);
    j.Field("killed", !msg.Alive());
    j.Field("read", m.wasMarkedRead);
    j.Field("referNum", U(Trim(msg.ReferNum())));
    j.Field("charset", msg.Charset());
    if (!msg.MessageID().empty()) j.Field("messageId", U(msg.MessageID(), msg.Charset()));
    if (!msg.InReplyTo().empty()) j.Field("inReplyTo", U(msg.InReplyTo(), msg.Charset()));
    j.Field("messageNumber", h.MsgNum);
    j.Field("hostMessage", U(h.NumberPanel));
    j.StringArray("text", ShownLines(VisibleLines(msg.Text(), showKludges), cl.flags.count("--ansi") > 0, msg.Charset()));
    j.StringArray("attachments", names);
    j.EndObject();
    j.Finish();
  } else {
    out << "Posted :   " << U(h.Posted) << "\n";
    out << "From :     " << U(h.From, msg.Charset()) << "\n";
    out << "To :       " << U(h.To, msg.Charset()) << "\n";
    out << "Subject :  " << U(h.Subject, msg.Charset()) << "\n";
    out << "Posted in  " << U(h.ConfLabel) << "\n";
    if (!h.CarbonCopies.empty()) out << "CC :       " << U(h.CarbonCopies, msg.Charset()) << "\n";
    if (!h.StatusLabel.empty()) out << "Status :   " << h.StatusLabel << "\n";
    if (!h.Flags.empty()) out << "Flags :    " << TrimRight(h.Flags) << "\n";
    out << "Message :  " << h.MsgNum << "    " << U(h.NumberPanel) << "\n";
    if (!names.empty()) {
      out << "Attached : ";
      for (size_t i = 0; i < names.size(); ++i) out << (i ? ", " : "") << names[i];
      out << "\n";
    }
    out << "\n";
    for (const auto& line : ShownLines(VisibleLines(msg.Text(), showKludges), cl.flags.count("--ansi") > 0, msg.Charset()))
      out << line << "\n";
  }
  return kExitOk;
}

// ---------------------------------------------------------------- extract

// The name an attachment is written under: the list row's caption (the
// name in lower case), cleaned by the codec's rule, as UTF-8.
std::string TargetName(const std::string& attachment) {
  return Cp437Text(SafeAttachmentName(AnsiLowerCase(attachment)));
}

bool SameAttachment(const std::string& a, const std::string& b) {
  return SameText(RemoveBlanks(a), RemoveBlanks(b));
}

// Files made with mkstemp are private; finished ones get the usual mode.
mode_t CurrentUmask() {
  mode_t m = ::umask(0);
  ::umask(m);
  return m;
}

int CmdExtract(const TCommandLine& cl, std::ostream& out, std::ostream& err) {
  const std::string& path = OnePacket(cl);
  TFolderChoice choice = FolderChoice(cl, true);
  const int position = PositiveNumber(cl, "--message");
  const std::string* toOption = cl.Value("--to");
  if (!toOption || toOption->empty()) throw Usage(cl.command, "--to FOLDER is missing");
  const std::string* wanted = cl.Value("--attachment");
  const bool force = cl.flags.count("--force") > 0;

  TWorkFolder work;
  TToolPacket packet(work);
  packet.Open(path, true);
  TLoadedMessage m;
  LoadMessage(packet, choice, position, m);

  std::vector<std::string> chosen;
  if (wanted) {
    for (const auto& a : m.attachments)
      if (SameAttachment(a, *wanted)) {
        chosen.push_back(a);
        break;
      }
    if (chosen.empty())
      throw EToolError(kExitUnreadable, path + ": message " + std::to_string(position) + " has no attached file \"" +
                                            *wanted + "\"");
  } else {
    chosen = m.attachments;
    if (chosen.empty())
      throw EToolError(kExitUnreadable, path + ": message " + std::to_string(position) + " has no attached files");
  }

  std::string folder = IncludeTrailingBackslash(*toOption);
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) throw EToolError(kExitUnreadable, *toOption + ": cannot create the folder");

  // The codec needs the raw body in a file, as the viewer gives it.
  const std::string body = work.ScratchFolder() + "MimeText.tmp";
  if (!m.msg.ExportBody(body)) throw EToolError(kExitUnreadable, path + ": the message body cannot be read");
  struct TWritten {
    std::string name, path;
    uintmax_t size;
  };
  std::vector<TWritten> written;
  // Every chosen part is decoded in one pass over the body, each straight
  // into a temporary file beside its target, renamed into place once all
  // are done. Targets are checked first: nothing is written unasked.
  std::set<std::string> names;
  std::vector<TTesselMime::TWantedAttachment> parts;
  std::vector<std::string> targets;
  for (const auto& attachment : chosen) {
    const std::string name = TargetName(attachment);
    if (!names.insert(name).second) continue;  // a second part of the same name cannot be told apart
    const std::string target = folder + name;
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0) {
      if (!force) throw EToolError(kExitUnreadable, target + ": exists (use --force to replace it)");
      if (S_ISDIR(st.st_mode)) throw EToolError(kExitUnreadable, target + ": is a folder");
    }
    parts.push_back({attachment, folder + "." + name + ".korrin-" + RandomName8()});
    targets.push_back(target);
  }
  auto removeTemps = [&] {
    for (const auto& p : parts) ::unlink(p.TargetFile.c_str());
  };
  std::vector<bool> found;
  try {
    found = m.mime.ExtractFiles(body, parts);
  } catch (const std::exception& e) {
    removeTemps();
    throw EToolError(kExitUnreadable, path + ": " + e.what());
  }
  for (size_t i = 0; i < parts.size(); ++i)
    if (!found[i]) {
      removeTemps();
      throw EToolError(kExitUnreadable, path + ": attached file \"" + U(parts[i].Name) + "\" cannot be decoded");
    }
  const mode_t mode = 0666 & ~CurrentUmask();
  for (size_t i = 0; i < parts.size(); ++i) {
    ::chmod(parts[i].TargetFile.c_str(), mode);
    if (::rename(parts[i].TargetFile.c_str(), targets[i].c_str()) != 0) {
      int e = errno;
      removeTemps();
      throw EToolError(kExitUnreadable, targets[i] + ": cannot write (" + std::strerror(e) + ")");
    }
    written.push_back({ExtractFileName(targets[i]), targets[i], fs::file_size(targets[i], ec)});
  }

  if (cl.json) {
    TJsonWriter j(out);
    j.BeginObject();
    j.Field("packet", path);
    j.Field("folder", folder);
    j.Key("files");
    j.BeginArray();
    for (const auto& w : written) {
      j.BeginObject();
      j.Field("name", w.name);
      j.Field("path", w.path);
      j.Field("size", static_cast<int64_t>(w.size));
      j.EndObject();
    }
    j.EndArray();
    j.EndObject();
    j.Finish();
  } else {
    for (const auto& w : written) out << "wrote " << w.path << " (" << w.size << " bytes)\n";
  }
  return kExitOk;
}

// ---------------------------------------------------------------- export

// The mailbox file: written under a temporary name beside the target and
// renamed into place once complete, so a failed export leaves nothing half
// written and an existing mailbox stays whole until the new one is done.
class TMboxFile {
public:
  TMboxFile(const std::string& target, bool force) : target_(target) {
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0) {
      if (!force) throw EToolError(kExitUnreadable, target + ": exists (use --force to replace it)");
      if (S_ISDIR(st.st_mode)) throw EToolError(kExitUnreadable, target + ": is a folder");
    }
    std::string temp = target + ".korrin-XXXXXX";
    std::vector<char> buf(temp.begin(), temp.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) throw EToolError(kExitUnreadable, target + ": " + std::strerror(errno));
    ::close(fd);
    temp_ = buf.data();
    RemoveAtExit(temp_);
    buffer_.resize(1 << 20);
    stream_.rdbuf()->pubsetbuf(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    stream_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!stream_) throw EToolError(kExitUnreadable, target + ": cannot write");
  }
  ~TMboxFile() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }
  std::ostream& Stream() { return stream_; }
  // The file being written (its final name comes with Commit).
  const std::string& TempPath() const { return temp_; }
  void Commit() {
    stream_.flush();
    stream_.close();
    if (stream_.fail()) throw EToolError(kExitUnreadable, target_ + ": cannot write");
    ::chmod(temp_.c_str(), 0666 & ~CurrentUmask());
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
      throw EToolError(kExitUnreadable, target_ + ": " + std::strerror(errno));
    temp_.clear();
  }

private:
  std::string target_, temp_;
  std::vector<char> buffer_;
  std::ofstream stream_;
};

std::string MailDomain(const std::string& bbsid) {
  std::string d;
  for (unsigned char c : AnsiLowerCase(Trim(bbsid)))
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-') d.push_back(static_cast<char>(c));
  return (d.empty() ? std::string("bbs") : d) + ".invalid";
}

// One message to export: the folder, its position there and the block the
// index gives for it.
struct TExportJob {
  const TConfRec* rec;
  int32_t position;
  int64_t block;
};

// The messages of the folders in order, each block once: a message listed
// in several folders (personal mail is also in its conference) is written
// where it comes first. Records that point at no block of messages.dat, and
// those beyond what it can hold, are only counted, in `beyond`.
std::vector<TExportJob> ExportPlan(TToolPacket& packet, const std::vector<TMailTreeNode*>& folders,
                                   int64_t& beyond) {
  std::vector<TExportJob> jobs;
  TMessagesFile messages;
  const int64_t size = messages.Open(packet.Directory(), TOpenMode::omRead, false) ? messages.Size() : 0;
  const int64_t blocks = size / static_cast<int64_t>(kQWKBlockSize);
  std::vector<bool> seen(static_cast<size_t>(blocks) + 1, false);
  beyond = 0;
  for (TMailTreeNode* node : folders) {
    const TConfRec* rec = node->Record.get();
    TQWKIndex index;
    if (!index.Open(packet.Directory() + rec->IndexFile, false)) continue;
    // As the list reads them: once as many records as messages.dat has
    // blocks pointed into it, the others are not read.
    const int32_t most = MeaningfulIndexRecords(index.Count(), size);
    int32_t inside = 0, i = 1;
    for (; i <= index.Count() && inside < most; ++i) {
      auto block = index.BlockNumber(i);
      int64_t b = block && *block > 0 && *block <= blocks ? *block : 0;
      if (b == 0) {
        ++beyond;  // points at no block of messages.dat
        continue;
      }
      ++inside;
      if (seen[static_cast<size_t>(b)]) continue;
      seen[static_cast<size_t>(b)] = true;
      jobs.push_back({rec, i, b});
    }
    beyond += index.Count() - (i - 1);
  }
  return jobs;
}

struct TExportCounts {
  int64_t messages = 0, attachments = 0, unreadable = 0, badAttachments = 0;
};

// Reads the messages of the plan with the message record and writes them
// to the mailbox stream.
// The mail header of a kludge line: "X-FTN-" and its word, the rest as value.
std::pair<std::string, std::string> KludgeHeader(const std::string& line) {
  size_t end = 1;
  while (end < line.size() && line[end] != ':' && line[end] != ' ') ++end;
  std::string word;
  for (size_t i = 1; i < end; ++i) {
    char c = line[i];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-') word.push_back(c);
  }
  std::string value = end < line.size() ? Trim(line.substr(end + 1)) : std::string();
  for (char& c : value)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return {"X-FTN-" + (word.empty() ? std::string("Kludge") : AnsiUpperCase(word)), MailText(value)};
}

class TExporter {
public:
  TExporter(TToolPacket& packet, bool attachments) : packet_(packet), attachments_(attachments) {
    const PacketIdentity& id = packet.Tree().Identity();
    domain_ = MailDomain(id.BBSID);
    idDomain_ = MessageIdText(Trim(id.BBSID));
    packetDate_ = ParseMsgDateTime(id.PacketDate, id.PacketTime, TDateOrder::doMDY);
    for (TMailTreeNode* node : packet.ConferenceNodes(false))
      if (auto n = ConferenceNumberOf(*node->Record)) conferenceNames_.emplace(*n, node->Record->Name);
  }

  // Writes jobs [first, last) to the stream; `scratch` holds the bodies and
  // parts being decoded.
  TExportCounts Run(const std::vector<TExportJob>& jobs, size_t first, size_t last, std::ostream& mbox,
                    const std::string& scratch) {
    TExportCounts counts;
    TMboxWriter writer(mbox, domain_);
    TQWKMsg msg;
    TTesselMime mime;
    TMboxMessage m;
    const std::string body = scratch + "MimeText.tmp";
    // Messages without kludge lines are read at their block from one open
    // file; the others through their folder's index, as the windows do.
    TMessagesFile messages;
    messages.Open(packet_.Directory(), TOpenMode::omRead, false);
    const auto extended = PacketExtendedHeaders(packet_.Directory());
    std::string buffer;
    for (size_t k = first; k < last; ++k) {
      if ((k & 255) == 0) CheckInterrupted();
      const TExportJob& job = jobs[k];
      std::string_view raw = messages.IsOpen() ? messages.ReadBody(job.block, buffer) : std::string_view();
      // The codec only changes what bodies with MIME or uuencode lines show.
      const bool codec = !messages.IsOpen() || BodyMayHoldMime(raw);
      msg.SetMimeCTRL(codec ? &mime : nullptr);
      bool read = false;
      if (messages.IsOpen() && job.block > 0 && messages.HoldsHeader(job.block) && !BodyHasPacketLines(raw)) {
        messages.File().Seek(BlockOffset(job.block));
        read = msg.ReadFrom(messages.File(), extended.get());
      } else {
        read = msg.LoadFromPacket(packet_.Directory(), job.position, *job.rec) && msg.IndexPosition() == job.position &&
               msg.BlockNumber() == job.block;
      }
      if (!read) {
        ++counts.unreadable;
        continue;
      }
      Fill(msg, *job.rec, job.block, m);
      m.Attachments.clear();
      if (codec && attachments_ && mime.AttachmentFound() && !mime.FileNames().empty()) {
        const std::vector<std::string> names = mime.FileNames();
        // The codec reads the raw body, as the viewer hands it over.
        if (messages.IsOpen() ? messages.ExportBody(job.block, body) : msg.ExportBody(body)) {
          std::set<std::string> seen;
          std::vector<TTesselMime::TWantedAttachment> parts;
          std::vector<std::string> fileNames;
          for (size_t a = 0; a < names.size(); ++a) {
            std::string fileName = TargetName(names[a]);
            if (!seen.insert(fileName).second) continue;
            parts.push_back({names[a], scratch + "part" + std::to_string(a) + ".bin"});
            fileNames.push_back(std::move(fileName));
          }
          std::vector<bool> found(parts.size(), false);
          try {
            found = mime.ExtractFiles(body, parts);
          } catch (const std::exception&) {
            // A part that could not be written counts as not decoded.
          }
          for (size_t a = 0; a < parts.size(); ++a) {
            if (found[a]) m.Attachments.push_back({fileNames[a], parts[a].TargetFile});
            else ++counts.badAttachments;
          }
        }
      }
      if (!writer.Write(m)) {
        CheckInterrupted();
        if (!mbox) throw EToolError(kExitUnreadable, "cannot write the mailbox");
        ++counts.badAttachments;
      }
      counts.attachments += static_cast<int64_t>(m.Attachments.size());
      for (const auto& a : m.Attachments) ::unlink(a.Path.c_str());
    }
    counts.messages = writer.Count();
    return counts;
  }

private:
  void Fill(const TQWKMsg& msg, const TConfRec& rec, int64_t block, TMboxMessage& m) {
    const int conference = msg.Conference();
    const std::string number = Trim(msg.Number());
    m.FromName = MailText(LongerText(msg.LongFrom(), msg.MsgFROM()), msg.Charset());
    m.ToName = MailText(LongerText(msg.LongTo(), msg.MsgTo()), msg.Charset());
    m.Subject = MailText(LongerText(msg.LongSubject(), msg.Subject()), msg.Charset());
    m.CarbonCopies = MailText(msg.CarbonCopies(), msg.Charset());
    m.Date = ParseMsgDateTime(msg.PostDate(), msg.PostTime(), TDateOrder::doMDY);
    if (!m.Date) m.Date = packetDate_;
    const std::string numberId =
        number.empty() ? "b" + std::to_string(block) : MessageIdText(MailText(number));
    m.MessageId = numberId + "." + std::to_string(conference) + "@" + idDomain_;
    m.InReplyTo.clear();
    if (auto refer = ParseInt(msg.ReferNum()); refer && *refer > 0)
      m.InReplyTo = std::to_string(*refer) + "." + std::to_string(conference) + "@" + idDomain_;
    // The board's own identifiers, from its extended headers, win.
    if (auto id = BoardMessageId(msg.MessageID()); !id.empty()) m.MessageId = id;
    if (auto id = BoardMessageId(msg.InReplyTo()); !id.empty()) m.InReplyTo = id;
    m.ExtraHeaders.clear();
    auto name = conferenceNames_.find(conference);
    const std::string confName =
        name != conferenceNames_.end() ? name->second : IsPersonal(rec) ? std::string() : rec.Name;
    if (!confName.empty()) m.ExtraHeaders.emplace_back("X-Korrin-Conference", MailText(confName));
    m.ExtraHeaders.emplace_back("X-Korrin-Conference-Number", std::to_string(conference));
    if (!number.empty()) m.ExtraHeaders.emplace_back("X-Korrin-Message-Number", MailText(number));
    std::string status = msg.Status() == tStatus::sPublic ? "" : StatusName(msg.Status());
    if (!msg.Alive()) status += status.empty() ? "killed" : ", killed";
    if (!status.empty()) m.ExtraHeaders.emplace_back("X-Korrin-Status", status);
    m.Read = msg.Header().MarkedRead();
    m.Body.clear();
    for (const auto& line : msg.Text()) {
      // Kludge lines travel as headers: "\x01MSGID: x" or "@MSGID: x" gives
      // "X-FTN-MSGID: x".
      if (IsKludgeLine(line)) {
        m.ExtraHeaders.push_back(KludgeHeader(line));
        continue;
      }
      if (IsCp437(msg.Charset())) AppendCp437(m.Body, line, true);
      else m.Body += MailText(line, msg.Charset());
      m.Body.push_back('\n');
    }
  }

  TToolPacket& packet_;
  bool attachments_;
  std::string domain_, idDomain_;
  std::optional<TMsgDateTime> packetDate_;
  std::unordered_map<int, std::string> conferenceNames_;
};

// Export in several processes. The message record keeps its temporary
// files in the program folder, so two records in one process would share
// them; each helper process gets a program folder of its own instead. The
// messages are split into consecutive ranges: this process writes the
// first straight into the mailbox, each helper writes its range into a part
// file, and the parts are appended in order, so the mailbox is the same as
// one written by a single process.
class TExportWorkers {
public:
  TExportWorkers(TWorkFolder& work, TExporter& exporter, const std::vector<TExportJob>& jobs, int count)
      : work_(work), exporter_(exporter), jobs_(jobs) {
    count = std::max(1, std::min<int>(count, static_cast<int>(jobs.size() / 500) + 1));
    for (int i = 0; i <= count; ++i) bounds_.push_back(jobs.size() * static_cast<size_t>(i) / static_cast<size_t>(count));
  }
  ~TExportWorkers() {
    // Helpers still running when the export fails are stopped and reaped
    // before the work folder goes.
    for (auto& h : helpers_)
      if (h.pid > 0) {
        ::kill(h.pid, SIGTERM);
        int status;
        while (::waitpid(h.pid, &status, 0) < 0 && errno == EINTR) {
        }
      }
    for (auto& h : helpers_)
      if (h.fd >= 0) ::close(h.fd);
  }

  // Starts the helpers (ranges 1 on); range 0 stays with this process.
  void Start() {
    for (size_t r = 1; r + 1 < bounds_.size(); ++r) {
      THelper h;
      h.part = work_.Root() + "part-" + std::to_string(r) + ".mbox";
      h.scratch = work_.Root() + "scratch-" + std::to_string(r) + "/";
      int fds[2];
      if (::pipe(fds) != 0) throw EToolError(kExitUnreadable, std::string("cannot start a helper: ") + std::strerror(errno));
      std::cout.flush();
      std::cerr.flush();
      const pid_t parent = ::getpid();
      pid_t pid = ::fork();
      if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw EToolError(kExitUnreadable, std::string("cannot start a helper: ") + std::strerror(errno));
      }
      if (pid == 0) {
        // A helper ends with the tool, however the tool ends.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(1);
        ::close(fds[0]);
        RunHelper(r, h, fds[1]);  // never returns
      }
      ::close(fds[1]);
      h.pid = pid;
      h.fd = fds[0];
      helpers_.push_back(std::move(h));
    }
  }

  // Writes range 0, then appends the helpers' parts in order.
  // `file`, when given, is the path the stream writes to: the parts are
  // then appended by the kernel instead of through the stream.
  TExportCounts Finish(std::ostream& mbox, const std::string& scratch, const std::string& file = "") {
    TExportCounts total = exporter_.Run(jobs_, bounds_[0], bounds_[1], mbox, scratch);
    std::vector<char> chunk(1 << 20);
    for (auto& h : helpers_) {
      TResult result{};
      std::string message;
      char buf[512];
      ssize_t n = 0;
      size_t got = 0;
      while ((n = ::read(h.fd, buf, sizeof buf)) != 0) {
        if (n < 0) {
          if (errno == EINTR) {
            CheckInterrupted();
            continue;
          }
          break;
        }
        for (ssize_t i = 0; i < n; ++i, ++got) {
          if (got < sizeof result) reinterpret_cast<char*>(&result)[got] = buf[i];
          else message.push_back(buf[i]);
        }
      }
      ::close(h.fd);
      h.fd = -1;
      int status = 0;
      while (::waitpid(h.pid, &status, 0) < 0 && errno == EINTR) {
      }
      h.pid = -1;
      CheckInterrupted();
      if (got < sizeof result || !WIFEXITED(status))
        throw EToolError(kExitUnreadable, "a helper process of the export failed");
      if (result.code != kExitOk) throw EToolError(result.code, message);
      total.messages += result.counts.messages;
      total.attachments += result.counts.attachments;
      total.unreadable += result.counts.unreadable;
      total.badAttachments += result.counts.badAttachments;
      if (!file.empty() && AppendFile(h.part, file, mbox)) {
        ::unlink(h.part.c_str());
        continue;
      }
      std::ifstream in(h.part, std::ios::binary);
      while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        mbox.write(chunk.data(), in.gcount());
      }
      if (in.bad() || !mbox) throw EToolError(kExitUnreadable, "cannot write the mailbox");
      in.close();
      ::unlink(h.part.c_str());
    }
    return total;
  }

private:
  struct THelper {
    pid_t pid = -1;
    int fd = -1;
    std::string part, scratch;
  };
  struct TResult {
    int code;
    TExportCounts counts;
  };

  // Appends a part to the file the stream writes to, in the kernel. False
  // (nothing appended) when the kernel cannot copy between the two files.
  static bool AppendFile(const std::string& part, const std::string& file, std::ostream& mbox) {
    mbox.flush();
    if (!mbox) throw EToolError(kExitUnreadable, "cannot write the mailbox");
    int in = ::open(part.c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    bool ok = in >= 0 && out >= 0;
    bool started = false;
    while (ok) {
      ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        // Nothing copied yet: the caller copies it the plain way.
        if (started) throw EToolError(kExitUnreadable, "cannot write the mailbox");
        ok = false;
        break;
      }
      if (n == 0) break;
      started = true;
    }
    if (in >= 0) ::close(in);
    if (out >= 0 && ::close(out) != 0 && ok) throw EToolError(kExitUnreadable, "cannot write the mailbox");
    if (ok) mbox.seekp(0, std::ios::end);
    return ok;
  }

  [[noreturn]] void RunHelper(size_t range, const THelper& h, int fd) {
    TResult result{kExitOk, {}};
    std::string message;
    try {
      std::error_code ec;
      std::string home = work_.MemoryFolder() + "home-" + std::to_string(range);
      fs::create_directory(home, ec);
      fs::create_directory(h.scratch, ec);
      ::setenv("KORRIN_HOME", home.c_str(), 1);
      std::vector<char> buffer(1 << 20);
      std::ofstream part;
      part.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      part.open(h.part, std::ios::binary | std::ios::trunc);
      if (!part) throw EToolError(kExitUnreadable, "cannot write " + h.part);
      result.counts = exporter_.Run(jobs_, bounds_[range], bounds_[range + 1], part, h.scratch);
      part.close();
      if (part.fail()) throw EToolError(kExitUnreadable, "cannot write " + h.part);
    } catch (const EToolError& e) {
      result.code = e.Code();
      message = e.what();
    } catch (const std::exception& e) {
      result.code = kExitUnreadable;
      message = e.what();
    }
    std::string out(reinterpret_cast<const char*>(&result), sizeof result);
    out += message;
    for (size_t done = 0; done < out.size();) {
      ssize_t n = ::write(fd, out.data() + done, out.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    // The parent's objects (the work folder above all) are not this process's to clean up.
    ::_exit(result.code == kExitOk ? 0 : 1);
  }

  TWorkFolder& work_;
  TExporter& exporter_;
  const std::vector<TExportJob>& jobs_;
  std::vector<size_t> bounds_;
  std::vector<THelper> helpers_;
};

// Helper processes of the export: the processors there are, at most 4.
int DefaultExportJobs() {
  long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return static_cast<int>(std::clamp<long>(n, 1, 4));
}

int CmdExport(const TCommandLine& cl, std::ostream& out, std::ostream& err) {
  const std::string& path = OnePacket(cl);
  const std::string* target = cl.Value("--mbox");
  if (!target || target->empty()) throw Usage(cl.command, "--mbox FILE is missing");
  TFolderChoice choice = FolderChoice(cl, false);
  const bool attachments = cl.flags.count("--no-attachments") == 0;
  const bool toStdout = *target == "-";
  if (toStdout && cl.json) throw Usage(cl.command, "--json needs --mbox FILE, not standard output");
  int processes = DefaultExportJobs();
  if (const std::string* v = cl.Value("--jobs")) {
    auto n = ParseInt(*v);
    if (!n || *n < 1 || *n > 64) throw Usage(cl.command, "--jobs needs a number from 1 to 64");
    processes = static_cast<int>(*n);
  }

  TWorkFolder work;
  std::unique_ptr<TMboxFile> file;
  if (!toStdout) file = std::make_unique<TMboxFile>(*target, cl.flags.count("--force") > 0);
  TToolPacket packet(work);
  packet.Open(path, true);
  std::vector<TMailTreeNode*> folders = ChosenFolders(packet, choice);
  // Personal messages come last: only those not in a conference of the packet are written again.
  if (choice.any)
    if (TMailTreeNode* personal = packet.Personal()) folders.push_back(personal);
  int64_t beyond = 0;
  const std::vector<TExportJob> jobs = ExportPlan(packet, folders, beyond);

  std::ostream& mbox = toStdout ? out : file->Stream();
  TExporter exporter(packet, attachments);
  TExportCounts counts;
  try {
    TExportWorkers workers(work, exporter, jobs, processes);
    workers.Start();
    counts = workers.Finish(mbox, work.ScratchFolder(), file ? file->TempPath() : std::string());
  } catch (const EToolError& e) {
    if (e.Code() != kExitUnreadable) throw;
    throw EToolError(kExitUnreadable, (toStdout ? std::string("standard output") : *target) + ": " + e.what());
  }
  const int64_t unreadable = counts.unreadable + beyond, files = counts.attachments;
  if (counts.badAttachments > 0)
    err << kToolName << ": warning: " << counts.badAttachments << " attached file"
        << (counts.badAttachments == 1 ? "" : "s") << " could not be decoded\n";
  if (file) file->Commit();
  else out.flush();
  if (unreadable > 0)
    err << kToolName << ": warning: " << unreadable << " message" << (unreadable == 1 ? "" : "s")
        << " could not be read\n";
  if (cl.json) {
    TJsonWriter j(out);
    j.BeginObject();
    j.Field("packet", path);
    j.Field("mbox", *target);
    j.Field("messages", counts.messages);
    j.Field("attachments", files);
    j.Field("unreadable", unreadable);
    j.EndObject();
    j.Finish();
  } else if (!toStdout) {
    out << "wrote " << counts.messages << " message" << (counts.messages == 1 ? "" : "s") << " to " << *target << "\n";
  }
  return kExitOk;
}

// ---------------------------------------------------------------- replies

int CmdReplies(const TCommandLine& cl, std::ostream& out, std::ostream& err) {
  const std::string& path = OnePacket(cl, "REPFILE");
  TWorkFolder work;
  TToolPacket packet(work);
  packet.OpenReplyFiles(path);
  const std::string& folder = packet.Directory();
  std::error_code ec;

  // The reply file: BBSID + ".msg", the BBSID being the one in its first block.
  std::string replyFile, bbsid;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (!MatchesPattern(name, "*.msg")) continue;
    TBlockFile f;
    char first[kQWKBlockSize];
    size_t got = f.Open(it->path().string(), TOpenMode::omRead) ? f.Read(first, sizeof first) : 0;
    std::string id = ReplyFileBBSID(std::string_view(first, got));
    bool matches = SameText(name.substr(0, name.size() - 4), Trim(id));
    if (replyFile.empty() || matches) {
      replyFile = it->path().string();
      bbsid = Trim(id);
      if (matches) break;
    }
  }
  if (replyFile.empty()) throw EToolError(kExitUnreadable, path + ": not a reply packet (no reply file .msg)");
  if (auto damage = ReplyFileDamage(replyFile)) throw EToolError(kExitUnreadable, *damage);

  TBlockFile file;
  if (!file.Open(replyFile, TOpenMode::omRead)) throw EToolError(kExitUnreadable, replyFile + ": cannot be read");
  TExtendedHeaders headers;
  bool withHeaders = false;
  if (auto found = FindFileNoCase(folder, kHeadersFileName)) withHeaders = headers.Open(*found);
  file.Seek(kQWKBlockSize);
  TQWKMsg msg;
  TTesselMime mime;
  msg.SetMimeCTRL(&mime);

  std::unique_ptr<TJsonWriter> j;
  TTable table({"#", "Conf", "From", "To", "Subject", "Lines", "Attached"});
  if (cl.json) {
    j = std::make_unique<TJsonWriter>(out);
    j->BeginObject();
    j->Field("replyPacket", path);
    j->Field("replyFile", ExtractFileName(replyFile));
    j->Field("bbsId", U(bbsid));
    j->Key("messages");
    j->BeginArray();
  }
  int position = 0;
  while (!file.Eof()) {
    CheckInterrupted();
    const int64_t before = file.Position();
    if (!msg.ReadFrom(file, withHeaders ? &headers : nullptr) || file.Position() <= before) break;
    ++position;
    std::vector<std::string> names;
    if (mime.AttachmentFound())
      for (const auto& a : mime.FileNames()) names.push_back(U(AnsiLowerCase(a)));
    const std::string from = U(LongerText(msg.LongFrom(), msg.MsgFROM()), msg.Charset());
    const std::string to = U(LongerText(msg.LongTo(), msg.MsgTo()), msg.Charset());
    const std::string subject = U(LongerText(msg.LongSubject(), msg.Subject()), msg.Charset());
    if (j) {
      j->BeginObject();
      j->Field("position", position);
      j->Field("conference", static_cast<int>(msg.Conference()));
      j->Field("from", from);
      j->Field("to", to);
      j->Field("subject", subject);
      j->Field("date", U(msg.PostDate()));
      j->Field("time", U(msg.PostTime()));
      j->Field("status", StatusName(msg.Status()));
      j->Field("lines", static_cast<int64_t>(msg.Text().size()));
      j->Field("carbonCopies", U(msg.CarbonCopies(), msg.Charset()));
      j->StringArray("attachments", names);
      j->EndObject();
    } else {
      std::string attached;
      for (size_t i = 0; i < names.size(); ++i) attached += (i ? ", " : "") + names[i];
      table.Add({std::to_string(position), std::to_string(msg.Conference()), from, to, subject,
                 std::to_string(msg.Text().size()), attached});
    }
  }

  std::vector<std::string> commands;
  if (auto toDoor = FindFileNoCase(folder, kToDoorFileName)) {
    std::ifstream in(*toDoor, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!Trim(line).empty()) commands.push_back(U(line));
    }
  }
  if (j) {
    j->EndArray();
    j->StringArray("doorCommands", commands);
    j->EndObject();
    j->Finish();
  } else {
    out << "Reply file:   " << ExtractFileName(replyFile) << "\n";
    out << "BBSID:        " << U(bbsid) << "\n";
    out << "Messages:     " << position << "\n\n";
    if (position > 0) table.Print(out);
    if (!commands.empty()) {
      out << "\nDoor commands (todoor.ext):\n";
      for (const auto& c : commands) out << "  " << c << "\n";
    }
  }
  return kExitOk;
}

// Time the work has to stop by itself after the first signal.
constexpr unsigned kGraceSeconds = 1;

extern "C" void OnSignal(int sig) {
  // The first signal asks the work to stop, and ends the program should it
  // not have stopped within the grace time; a second (a closed pipe aside)
  // ends it at once. The work folder's guardian removes what is left.
  int expected = 0;
  if (PendingSignal().compare_exchange_strong(expected, sig)) {
    ::alarm(kGraceSeconds);
  } else if (sig != SIGPIPE) {
    ::signal(sig, SIG_DFL);
    ::raise(sig);
  }
}

extern "C" void OnGraceOver(int) { ::_exit(128 + PendingSignal().load()); }

}  // namespace

std::string PadRight(const std::string& utf8, size_t width) {
  size_t w = Width(utf8);
  return w >= width ? utf8 : utf8 + std::string(width - w, ' ');
}

std::string UsageText(const std::string& command) {
  auto it = Usages().find(command);
  if (command == "search") return kSearchUsage;
  return it == Usages().end() ? kOverview : it->second;
}

void InstallSignalHandlers() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::sigaction(sig, &sa, nullptr);
  sa.sa_handler = OnGraceOver;
  ::sigaction(SIGALRM, &sa, nullptr);
}

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TToolPrompts prompts(err);
  try {
    if (args.empty()) throw Usage("", "a command is missing");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
      out << UsageText(args.size() > 1 && command == "help" ? args[1] : "");
      return kExitOk;
    }
    if (command == "--version") {
      out << kToolName << " 1.3\n";
      return kExitOk;
    }
    if (command == "search") return RunSearch(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    if (IsPostCommand(command)) return RunPostCommand(args, std::cin, out, err);
    if (!Usages().count(command)) throw Usage("", "unknown command " + command);
    if (std::find(args.begin() + 1, args.end(), "--help") != args.end() ||
        std::find(args.begin() + 1, args.end(), "-h") != args.end()) {
      out << UsageText(command);
      return kExitOk;
    }
    TCommandLine cl = Parse(args);
    jsonOutput = cl.json;
    int rc = kExitOk;
    if (command == "info") rc = CmdInfo(cl, out, err);
    else if (command == "list") rc = CmdList(cl, out, err);
    else if (command == "show") rc = CmdShow(cl, out, err);
    else if (command == "extract") rc = CmdExtract(cl, out, err);
    else if (command == "export") rc = CmdExport(cl, out, err);
    else if (command == "replies") rc = CmdReplies(cl, out, err);
    prompts.PrintWarnings();
    out.flush();
    CheckInterrupted();
    if (!out) {
      err << kToolName << ": cannot write the output\n";
      return kExitUnreadable;
    }
    return rc;
  } catch (const EToolError& e) {
    out.flush();
    std::string line = e.what();
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (!line.empty()) err << kToolName << ": " << line << "\n";
    return e.Code();
  } catch (const std::exception& e) {
    out.flush();
    err << kToolName << ": " << e.what() << "\n";
    return kExitUnreadable;
  }
}

}  // namespace korrin::tool
