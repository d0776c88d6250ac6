#pragma once
// What the secondary windows (viewer, editor, finder, address book, new
// files, door dialogs) may ask of the main window. The main window
// implements it; tests build the secondary windows against a small fake.
// Window-free: the windows find the main window's widget, when they need
// one as a parent, with a cast of the host.

#include <string>

namespace korrin {

class TReaderSession;
class TMailList;

class TMainHost {
public:
  virtual ~TMainHost() = default;

  // The engine's objects: registry, settings, post offices, folder tree,
  // lifecycle, door files, work folder.
  virtual TReaderSession& Session() = 0;

  // The main list's model and its selected row (-1 for none).
  virtual TMailList& MailList() = 0;
  virtual int SelectedRow() const = 0;
  // Selects the row and scrolls it into view.
  virtual void SelectRow(int row) = 0;
  // The list's double-click action on the row (opens a message in the viewer).
  virtual void OpenRow(int row) = 0;
  // Fills the list again for the selected folder.
  virtual void RefillList() = 0;
  // Selects folder `node` (its position in the tree's Nodes()). With
  // fillList false the list is not read for it (the finder shows the folder
  // it searches this way); the main window then keeps its list out of use
  // until a folder is selected with its list again.
  virtual void SelectFolder(int node, bool fillList);
  // The message viewer: whether it exists, and bringing it forward.
  virtual bool ViewerExists() const { return false; }
  virtual void BringViewerToFront() {}
  // The mail finder: whether it exists, and opening it or bringing it forward.
  virtual bool FinderExists() const { return false; }
  virtual void ShowFinder() {}

  // The nested busy state of Part "SetBusy": every window's commands are
  // off while it is on.
  virtual bool Busy() const = 0;
  virtual void SetBusy(bool on) = 0;
  // Recomputes the main window's command states (after a secondary window
  // changed what they depend on).
  virtual void UpdateCommandStates() = 0;

  // The editor for a new message, a reply to or a forward of the selected row.
  virtual void NewMessage() = 0;
  // The editor for a new message to these recipients (the address book's
  // Write): the To field and, when not empty, the CC field are filled.
  virtual void NewMessageTo(const std::string& to, const std::string& cc) = 0;
  // Whether the message viewer or editor is open, and bringing it forward.
  enum class TMessageWindow { mwViewer, mwEditor };
  virtual bool MessageWindowOpen(TMessageWindow window) const = 0;
  virtual void BringMessageWindowForward(TMessageWindow window) = 0;
  virtual void ReplyMessage() = 0;
  virtual void ForwardMessage() = 0;
  // The options dialog on a page, the properties dialog on its last page.
  virtual void ShowOptions(int page) = 0;
  virtual void ShowPropertiesOnLastPage() = 0;

  // Brings the main window forward (restoring it when minimized).
  virtual void BringMainToFront() = 0;
  // Whether the main window takes dropped files; off while a secondary
  // window drags files out, so that they do not land on the main window.
  virtual bool AcceptsDrops() const = 0;
  virtual void SetAcceptsDrops(bool on) = 0;
  // Ends the program (the windows' Exit command).
  virtual void CloseProgram() = 0;
};

}  // namespace korrin
