#pragma once
// The program's pictures, drawn as vector shapes so they stay sharp at any
// size and screen density. Indexes follow the tree and list image strips.

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
  miLargeIcons, miSmallIcons, miList, miDetails, miPostOffice, miAttachment
};

QIcon MailImage(TMailImage image);
// The tree's image strip index (0-11) as an icon.
QIcon TreeImage(int index);
// The list's image strip index (0-10) as an icon; a null icon for -1.
QIcon ListImage(int index);
// A picture of the given size.
QPixmap MailPixmap(TMailImage image, int size);

}  // namespace korrin
