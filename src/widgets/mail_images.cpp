#include "widgets/mail_images.h"

#include <QString>

#include <map>

// The pictures live in a static library: its resource is registered by hand.
static void InitIconResource() { Q_INIT_RESOURCE(icons); }

namespace korrin {

namespace {
struct TPicture {
  const char* theme;  // freedesktop name; null for our own look
  const char* file;   // ":/icons/<file>.svg"
};

TPicture PictureOf(TMailImage image) {
  switch (image) {
    case TMailImage::miFolder: return {"folder", "folder"};
    case TMailImage::miFolderOpen: return {"folder-open", "folder-open"};
    case TMailImage::miBBS: return {nullptr, "bbs"};
    case TMailImage::miBBSSelected: return {nullptr, "bbs-selected"};
    case TMailImage::miNewMessage: return {"mail-unread", "mail-unread"};
    case TMailImage::miReadMessage: return {"mail-read", "mail-read"};
    case TMailImage::miNewFiles: return {nullptr, "new-files"};
    case TMailImage::miSentBox: return {nullptr, "sent-box"};
    case TMailImage::miSaveBox: return {nullptr, "save-box"};
    case TMailImage::miOutBox: return {nullptr, "out-box"};
    case TMailImage::miInBox: return {nullptr, "in-box"};
    case TMailImage::miDownloads: return {nullptr, "downloads"};
    case TMailImage::miDownloadsOpen: return {nullptr, "downloads-open"};
    case TMailImage::miOpen: return {"document-open", "folder-open"};
    case TMailImage::miClose: return {nullptr, "close"};
    case TMailImage::miReplies: return {nullptr, "replies"};
    case TMailImage::miNew: return {"mail-message-new", "new"};
    case TMailImage::miReply: return {"mail-reply-sender", "reply"};
    case TMailImage::miForward: return {"mail-forward", "forward"};
    case TMailImage::miDelete: return {"edit-delete", "delete"};
    case TMailImage::miView: return {"document-preview", "view"};
    case TMailImage::miFind: return {"edit-find", "find"};
    case TMailImage::miAddress: return {"x-office-address-book", "address-book"};
    case TMailImage::miLargeIcons: return {"view-list-icons", "large-icons"};
    case TMailImage::miSmallIcons: return {"view-list-compact", "small-icons"};
    case TMailImage::miList: return {"view-list-text", "list"};
    case TMailImage::miDetails: return {"view-list-details", "details"};
    case TMailImage::miPostOffice: return {nullptr, "post-office"};
    case TMailImage::miAttachment: return {"mail-attachment", "attachment"};
    case TMailImage::miPrevious: return {"go-previous", "previous"};
    case TMailImage::miNext: return {"go-next", "next"};
    case TMailImage::miPrint: return {"document-print", "print"};
    case TMailImage::miCopy: return {"edit-copy", "copy"};
    case TMailImage::miHelp: return {"help-contents", "help"};
    case TMailImage::miSend: return {"mail-send", "send"};
    case TMailImage::miUndo: return {"edit-undo", "undo"};
    case TMailImage::miCut: return {"edit-cut", "cut"};
    case TMailImage::miPaste: return {"edit-paste", "paste"};
    case TMailImage::miTextFile: return {"insert-text", "text-file"};
    case TMailImage::miSignature: return {nullptr, "signature"};
    case TMailImage::miCancel: return {"dialog-cancel", "cancel"};
    case TMailImage::miContact: return {nullptr, "contact-small"};
    case TMailImage::miGroup: return {nullptr, "group-small"};
    case TMailImage::miContactLarge: return {nullptr, "contact-large"};
    case TMailImage::miGroupLarge: return {nullptr, "group-large"};
  }
  return {nullptr, "folder"};
}
}  // namespace

QIcon OwnMailImage(TMailImage image) {
  static const bool registered = (InitIconResource(), true);
  (void)registered;
  return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(PictureOf(image).file)));
}

QIcon MailImage(TMailImage image) {
  // Looked up once per theme: the list asks for its pictures on every paint.
  static std::map<TMailImage, QIcon> cache;
  static QString cachedTheme;
  if (QIcon::themeName() != cachedTheme) {
    cache.clear();
    cachedTheme = QIcon::themeName();
  }
  auto it = cache.find(image);
  if (it != cache.end()) return it->second;
  const char* theme = PictureOf(image).theme;
  QIcon icon = theme ? QIcon::fromTheme(QLatin1String(theme), OwnMailImage(image)) : OwnMailImage(image);
  cache.emplace(image, icon);
  return icon;
}

QPixmap MailPixmap(TMailImage image, int size) { return MailImage(image).pixmap(size, size); }

QIcon TreeImage(int index) {
  static const TMailImage map[] = {TMailImage::miFolder,   TMailImage::miFolderOpen, TMailImage::miBBS,
                                   TMailImage::miBBSSelected, TMailImage::miFolder,  TMailImage::miNewFiles,
                                   TMailImage::miSentBox,  TMailImage::miSaveBox,    TMailImage::miOutBox,
                                   TMailImage::miInBox,    TMailImage::miDownloads,  TMailImage::miDownloadsOpen};
  if (index < 0 || index >= 12) return {};
  return MailImage(map[index]);
}

QIcon ListImage(int index) {
  switch (index) {
    case 0: return MailImage(TMailImage::miFolder);
    case 2: return MailImage(TMailImage::miNewMessage);
    case 3: return MailImage(TMailImage::miReadMessage);
    case 5: return MailImage(TMailImage::miNewFiles);
    case 6: return MailImage(TMailImage::miSentBox);
    case 7: return MailImage(TMailImage::miSaveBox);
    case 8: return MailImage(TMailImage::miOutBox);
    case 9: return MailImage(TMailImage::miInBox);
    case 10: return MailImage(TMailImage::miDownloads);
    default: return {};
  }
}

}  // namespace korrin
