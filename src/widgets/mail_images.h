#pragma once
// The program's pictures. Each is taken from the desktop's icon theme by its
// freedesktop name, so that the program looks native, with our own SVG
// picture (icons.qrc) as the fallback; pictures whose look means something
// only here (the BBS, the post office, the boxes) are always ours. Indexes
// follow the tree and list image strips.

#include <QIcon>
#include <QPixmap>

namespace korrin {

enum class TMailImage {
  miFolder = 0,
  miFolderOpen = 1,
  miBBS = 2,
  miBBSSelected = 3,
  miNewMessage = 4,   // list index 2
  miReadMessage = 5,  // list index 3
  miNewFiles = 6,
  miSentBox = 7,
  miSaveBox = 8,
  miOutBox = 9,
  miInBox = 10,
  miDownloads = 11,
  miDownloadsOpen = 12,
  miOpen, miClose, miReplies, miNew, miReply, miForward, miDelete, miView, miFind, miAddress,
  miLargeIcons, miSmallIcons, miList, miDetails, miPostOffice, miAttachment,
  // Toolbar pictures of the viewer and the editor.
  miPrevious, miNext, miPrint, miCopy, miHelp, miSend, miUndo, miCut, miPaste, miTextFile, miSignature, miCancel,
  // The address book's contacts and groups, 16 and 32 pixels.
  miContact, miGroup, miContactLarge, miGroupLarge
};

QIcon MailImage(TMailImage image);
// Our own picture, without the theme.
QIcon OwnMailImage(TMailImage image);
// The tree's image strip index (0-11) as an icon.
QIcon TreeImage(int index);
// The list's image strip index (0-10) as an icon; a null icon for -1.
QIcon ListImage(int index);
// A picture of the given size.
QPixmap MailPixmap(TMailImage image, int size);

}  // namespace korrin
