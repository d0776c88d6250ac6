#include "korrin_tool/tool_post.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

#include "korrin_tool/tool_commands.h"
#include "korrin_tool/tool_packet.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"
#include "reading/edit_session.h"
#include "session/reader_session.h"

namespace fs = std::filesystem;

namespace korrin::tool {

namespace {

const char* const kPostUsage =
    "usage: korrin-tool post PACKET --conference N --to NAME --subject TEXT [--private]\n"
    "                        [--file BODY.txt] [--attach FILE]... [--signature]\n"
    "\n"
    "Writes one message into the Out Box of the packet's post office, through the\n"
    "same classes as the editor window: the settings of the program folder\n"
    "($KORRIN_HOME) decide \"Use Mime\" (how attachments travel) and the tagline;\n"
    "--signature appends the signature. The text comes from BODY.txt or standard\n"
    "input (UTF-8, or code page 437 when it is not UTF-8) and is stored in code page\n"
    "437. Validation messages go to standard error. Prints the Out Box files written.\n";

const char* const kBuildUsage =
    "usage: korrin-tool build-reply PACKET [--uploaded yes|no]\n"
    "\n"
    "Builds the reply packet of the packet's post office from its Out Box, as the\n"
    "window's Create Replies does, and prints its path. When an earlier reply packet\n"
    "of the board is still in the Replies folder, --uploaded answers whether it has\n"
    "already been uploaded (yes: it is not sent again; no: its messages go into the\n"
    "new one); without it nothing is built then.\n";

// Boxes go to standard error at once; a Yes/No/Cancel question (the one
// about an earlier reply packet) gets the answer given, every other question
// the answer that leaves things as they are.
class TScriptPrompts : public TStderrPrompts {
public:
  TScriptPrompts(std::ostream& err, std::optional<bool> yes) : err_(err), yes_(yes) { SetPrompts(this); }
  ~TScriptPrompts() override { SetPrompts(nullptr); }
  TBoxAnswer Box(TBoxKind, const std::string& text, TBoxButtons buttons, const std::string&) override {
    std::string line = text;
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    err_ << kToolName << ": " << line << "\n";
    if (buttons == TBoxButtons::bbYesNoCancel) return yes_ ? (*yes_ ? TBoxAnswer::baYes : TBoxAnswer::baNo) : TBoxAnswer::baCancel;
    return Refusal(buttons);
  }

private:
  std::ostream& err_;
  std::optional<bool> yes_;
};

struct TPostLine {
  std::string packet;
  std::map<std::string, std::string> values;
  std::vector<std::string> attachments;
  bool isPrivate = false, signature = false;
};

EToolError UsageError(const std::string& command, const std::string& text) {
  return EToolError(kExitUsage, text + " (see korrin-tool " + command + " --help)");
}

TPostLine ParsePost(const std::vector<std::string>& args) {
  const std::string& command = args[0];
  const bool post = command == "post";
  TPostLine l;
  for (size_t i = 1; i < args.size(); ++i) {
    std::string a = args[i], value;
    bool inlineValue = false;
    if (auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
      inlineValue = true;
    }
    auto takeValue = [&] {
      if (!inlineValue) {
        if (i + 1 >= args.size()) throw UsageError(command, a + " needs a value");
        value = args[++i];
      }
      return value;
    };
    if (a.size() < 2 || a[0] != '-') {
      if (!l.packet.empty()) throw UsageError(command, "unexpected argument " + a);
      l.packet = a;
    } else if (post && a == "--attach") {
      l.attachments.push_back(takeValue());
    } else if (post && (a == "--conference" || a == "--to" || a == "--subject" || a == "--file")) {
      std::string v = takeValue();
      if (!l.values.emplace(a, v).second) throw UsageError(command, a + " given twice");
    } else if (!post && a == "--uploaded") {
      std::string v = AnsiLowerCase(takeValue());
      if (v != "yes" && v != "no") throw UsageError(command, "--uploaded needs yes or no");
      l.values[a] = v;
    } else if (post && a == "--private" && !inlineValue) {
      l.isPrivate = true;
    } else if (post && a == "--signature" && !inlineValue) {
      l.signature = true;
    } else {
      throw UsageError(command, "unknown option " + args[i]);
    }
  }
  if (l.packet.empty()) throw UsageError(command, "PACKET is missing");
  if (post)
    for (const char* needed : {"--conference", "--to", "--subject"})
      if (!l.values.count(needed)) throw UsageError(command, std::string(needed) + " is missing");
  return l;
}

// A reader session with the program folder's settings and post offices,
// holding the packet open as the main window does.
class TPostSession {
public:
  explicit TPostSession(const std::string& packet) {
    if (!session_.CreateWorkFolder()) throw EToolError(kExitUnreadable, "cannot create a work folder");
    session_.LoadConfiguration();
    std::error_code ec;
    if (!fs::exists(packet, ec)) throw EToolError(kExitUnreadable, packet + ": No such file or directory");
    TResult opened;
    if (fs::is_directory(packet, ec)) {
      // An unpacked packet is read from a copy: part files are written
      // beside the packet files, never into the user's folder.
      for (fs::directory_iterator it(packet, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fe;
        if (it->is_regular_file(fe))
          fs::copy_file(it->path(), session_.WorkFolder() + it->path().filename().string(),
                        fs::copy_options::overwrite_existing, fe);
        if (fe) throw EToolError(kExitUnreadable, it->path().string() + ": " + fe.message());
      }
      opened = session_.ReadPacketFolder(session_.WorkFolder());
    } else {
      opened = session_.OpenFile(packet);
    }
    if (!opened)
      throw EToolError(kExitUnreadable, packet + ": " + (opened.Text().empty() ? "not a QWK packet" : opened.Text()));
    if (session_.PostOffice().BBSID().empty()) throw EToolError(kExitUnreadable, packet + ": the packet names no BBS");
  }
  ~TPostSession() { session_.RemoveWorkFolder(); }
  TReaderSession& Session() { return session_; }

private:
  TReaderSession session_;
};

std::vector<std::string> ReadBody(const TPostLine& l, std::istream& in, const std::string& scratch) {
  std::string path;
  if (auto file = l.values.find("--file"); file != l.values.end()) {
    path = file->second;
  } else {
    path = scratch + "body.txt";
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!WriteFileAtomic(path, text, false)) throw EToolError(kExitUnreadable, "cannot keep the text of standard input");
  }
  auto lines = TEditSession::ImportTextFile(path);
  if (!lines) throw EToolError(kExitUnreadable, path + ": the text was not taken");
  return *lines;
}

int Post(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  const TPostLine l = ParsePost(args);
  TScriptPrompts prompts(err, std::nullopt);
  auto number = ParseInt(l.values.at("--conference"));
  if (!number || *number < 0 || *number > 0xFFFF) throw UsageError("post", "--conference needs a conference number");
  for (const auto& a : l.attachments) {
    std::error_code ec;
    if (!fs::is_regular_file(a, ec)) throw EToolError(kExitUnreadable, a + ": No such file");
  }
  TPostSession ps(l.packet);
  TReaderSession& session = ps.Session();
  const TMainSettings& settings = session.Settings();

  TEditSession edit;
  TEditOptions options;
  options.EMail = settings.EMail;
  options.UseMime = settings.UseMime;
  options.AddTags = settings.AddTags;
  options.Signature = settings.Signature;
  edit.SetOptions(options);
  edit.SetOutBoxFolder(session.Lifecycle().OutBoxFolder());
  edit.SetWorkFolder(session.WorkFolder());
  edit.Create(session.WorkFolder(), ProgramFolder());
  int index = -1;
  for (size_t i = 0; i < edit.Conferences().size() && index < 0; ++i)
    if (TEditSession::ConferenceNumberOf(edit.Conferences()[i]) == *number &&
        ParseInt(edit.Conferences()[i].substr(0, edit.Conferences()[i].find(' '))))
      index = static_cast<int>(i);
  if (index < 0) throw EToolError(kExitUnreadable, l.packet + ": no conference " + std::to_string(*number));
  edit.ConfBoxChange(index);
  if (l.isPrivate) {
    edit.ChooseStatus(tStatus::sPrivate);
    if (edit.QWKMsg2().Status() != tStatus::sPrivate)
      err << kToolName << ": warning: the conference takes public messages only\n";
  }

  TEditFields fields;
  fields.To = l.values.at("--to");
  fields.Subject = l.values.at("--subject");
  fields.Lines = ReadBody(l, in, session.WorkFolder());
  if (l.signature)
    for (auto& s : edit.SignatureLines()) fields.Lines.push_back(std::move(s));
  edit.Attachments() = l.attachments;
  edit.ToFieldChanged(fields.To);
  edit.SubjectFieldChanged(fields.Subject);
  if (!edit.Post(fields)) throw EToolError(kExitUnreadable, "the message was not posted");
  for (const auto& p : edit.Posted()) out << p << "\n";
  return kExitOk;
}

int BuildReply(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const TPostLine l = ParsePost(args);
  std::optional<bool> uploaded;
  if (auto v = l.values.find("--uploaded"); v != l.values.end()) uploaded = v->second == "yes";
  TScriptPrompts prompts(err, uploaded);
  TPostSession ps(l.packet);
  TPacketLifecycle& life = ps.Session().Lifecycle();
  if (!life.SomethingToSend()) throw EToolError(kExitUnreadable, "nothing to send: the Out Box is empty");
  const std::string path = life.ReplyPacketPath();
  if (!life.CreateReplyPacket(path)) throw EToolError(kExitUnreadable, "no reply packet was built");
  out << path << "\n";
  return kExitOk;
}

}  // namespace

bool IsPostCommand(const std::string& command) { return command == "post" || command == "build-reply"; }

int RunPostCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::string& command = args.at(0);
  if (std::find(args.begin() + 1, args.end(), "--help") != args.end() ||
      std::find(args.begin() + 1, args.end(), "-h") != args.end()) {
    out << (command == "post" ? kPostUsage : kBuildUsage);
    return kExitOk;
  }
  try {
    return command == "post" ? Post(args, in, out, err) : BuildReply(args, out, err);
  } catch (const EToolError& e) {
    out.flush();
    err << kToolName << ": " << e.what() << "\n";
    return e.Code();
  } catch (const std::exception& e) {
    out.flush();
    err << kToolName << ": " << e.what() << "\n";
    return kExitUnreadable;
  }
}

}  // namespace korrin::tool
