// korrin-tool search: the mail finder's search on the command line, through
// the same core search as the finder window.

#include "korrin_tool/tool_search.h"

#include <iostream>

#include "engine/control_file.h"
#include "engine/mail_tree.h"
#include "explorer/mail_finder.h"
#include "korrin_tool/json_writer.h"
#include "korrin_tool/text_convert.h"
#include "korrin_tool/tool_commands.h"
#include "korrin_tool/tool_packet.h"
#include "platform/codepage.h"
#include "platform/text.h"

namespace korrin::tool {

const char* const kSearchUsage =
    "usage: korrin-tool search PACKET [criteria] [--conference NUMBER] [--boxes] [--json]\n"
    "\n"
    "Lists the messages that match every criterion given, as the mail finder\n"
    "searching all folders finds them: one row per hit with the folder, the\n"
    "message's position in it, its date, From and Subject.\n"
    "\n"
    "criteria:\n"
    "  --from TEXT, --to TEXT, --subject TEXT   text in that field (case ignored)\n"
    "  --text TEXT          text in the body; --case to respect case, --words for\n"
    "                       whole words (a phrase on word boundaries)\n"
    "  --files MASK         an attachment whose name matches the mask (\"*.zip\")\n"
    "  --between DATE DATE  posted on either day or between (MM-DD-YY, MM/DD/YYYY\n"
    "                       or YYYY-MM-DD)\n"
    "  --months N, --years N  posted in the last N times 30 or 365 days\n"
    "--conference NUMBER searches that conference only; --boxes adds the post\n"
    "office's Out Box, Save Box and Sent Box ($KORRIN_HOME holds the post offices).\n"
    "Exit codes: 0 hits, 1 a packet that cannot be read, 2 wrong usage, 3 no hit.\n";

namespace {

EToolError SearchUsage(const std::string& text) {
  return EToolError(kExitUsage, "search: " + text + " (korrin-tool search --help shows the usage)");
}

int Number(const std::string& option, const std::string& text, int lo, int hi) {
  auto n = ParseInt(Trim(text));
  if (!n || *n < lo || *n > hi)
    throw SearchUsage(option + " needs a number from " + std::to_string(lo) + " to " + std::to_string(hi));
  return static_cast<int>(*n);
}

TDay DateArg(const std::string& text) {
  std::string t = Trim(text);
  // YYYY-MM-DD as well as the packet's own forms.
  if (t.size() == 10 && t[4] == '-' && t[7] == '-')
    if (auto d = ParsePostDate(t.substr(5, 2) + "-" + t.substr(8, 2) + "-" + t.substr(0, 4))) return *d;
  if (auto d = ParsePostDate(t)) return *d;
  throw SearchUsage("\"" + text + "\" is not a date");
}

bool IsBoxKind(TFolderKind k) {
  return k == TFolderKind::fkOutBox || k == TFolderKind::fkSaveBox || k == TFolderKind::fkSentBox;
}

}  // namespace

int RunSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
  TSearchCriteria c;
  std::string packetPath, conference;
  bool json = false, boxes = false, havePacket = false;
  auto value = [&](size_t& i) -> std::string {
    if (i + 1 >= args.size()) throw SearchUsage(args[i] + " needs a value");
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      out << kSearchUsage;
      return kExitOk;
    }
    if (a == "--json") json = true;
    else if (a == "--boxes") boxes = true;
    else if (a == "--case") c.CaseSensitive = true;
    else if (a == "--words") c.WholeWords = true;
    else if (a == "--from") c.From = Utf8ToCp437(value(i));
    else if (a == "--to") c.To = Utf8ToCp437(value(i));
    else if (a == "--subject") c.Subject = Utf8ToCp437(value(i));
    else if (a == "--text") c.TextSelected = true, c.Text = Utf8ToCp437(value(i));
    else if (a == "--files") c.FilesSelected = true, c.FileMask = Utf8ToCp437(value(i));
    else if (a == "--conference") conference = Trim(value(i));
    else if (a == "--between" || a == "--months" || a == "--years") {
      if (!c.AllMessages) throw SearchUsage("only one of --between, --months and --years");
      c.AllMessages = false;
      if (a == "--between") {
        c.DateMode = dmBetween;
        c.FirstDate = DateArg(value(i));
        c.SecondDate = DateArg(value(i));
      } else if (a == "--months") {
        c.DateMode = dmMonths;
        c.Months = Number(a, value(i), 1, 12);
      } else {
        c.DateMode = dmYears;
        c.Years = Number(a, value(i), 1, 20);
      }
    } else if (a.size() > 1 && a[0] == '-') {
      throw SearchUsage("unknown option " + a);
    } else if (havePacket) {
      throw SearchUsage("unexpected argument " + a);
    } else {
      packetPath = a;
      havePacket = true;
    }
  }
  if (!havePacket) throw SearchUsage("PACKET is missing");
  if ((c.CaseSensitive || c.WholeWords) && !c.TextSelected) throw SearchUsage("--case and --words go with --text");
  if (c.TextSelected && c.Text.empty()) throw SearchUsage("--text needs a text");
  if (c.FilesSelected && c.FileMask.empty()) throw SearchUsage("--files needs a mask");
  if (!HasCriteria(c)) throw SearchUsage("a criterion is missing");

  TWorkFolder work;
  TToolPacket packet(work);
  packet.Open(packetPath, false);
  TMailTree& tree = packet.Tree();
  const auto nodes = tree.Nodes();
  std::vector<int> chosen;
  if (!conference.empty()) {
    TMailTreeNode* node = packet.FindConference(conference);
    if (!node) throw EToolError(kExitUnreadable, packet.Source() + ": no conference " + conference + " in the packet");
    for (size_t n = 0; n < nodes.size(); ++n)
      if (nodes[n] == node) chosen.push_back(static_cast<int>(n));
  } else {
    for (size_t n = 0; n < nodes.size(); ++n)
      if (!nodes[n]->Record || !IsBoxKind(nodes[n]->Record->Kind) || boxes) chosen.push_back(static_cast<int>(n));
  }

  TMailFinder finder(tree);
  finder.SetCriteria(c);
  finder.SetSearching(true);
  finder.ProcessMessages = [&finder] {
    if (Interrupted()) finder.Stop();
  };
  for (int n : chosen) {
    if (!finder.Searching()) break;
    finder.SearchFolder(n);
  }
  CheckInterrupted();

  auto u = [json](const std::string& cp437) { return json ? Cp437Text(cp437) : TerminalText(cp437); };
  if (json) {
    TJsonWriter w(out);
    w.BeginObject();
    w.Field("packet", packet.Source());
    w.Field("examined", finder.ExaminedCount());
    w.Key("hits");
    w.BeginArray();
    for (const TFinderHit& h : finder.Hits()) {
      w.BeginObject();
      w.Field("folder", u(h.Location));
      w.Field("position", h.Position);
      w.Field("date", u(h.Date));
      w.Field("from", u(h.From));
      w.Field("subject", u(h.Subject));
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    w.Finish();
  } else {
    for (const TFinderHit& h : finder.Hits())
      out << PadRight(u(h.Location), 24) << " " << PadRight(std::to_string(h.Position), 6) << " "
          << PadRight(u(h.Date), 8) << "  " << PadRight(u(h.From), 25) << " " << u(h.Subject) << "\n";
  }
  return finder.Hits().empty() ? kExitNoHit : kExitOk;
}

}  // namespace korrin::tool
