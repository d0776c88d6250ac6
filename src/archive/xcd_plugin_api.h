#pragma once
/* The binary interface between the archive component and its two plugins,
 * libxcdzip.so (entry "xcdzip", packs ZIP archives) and libxcdunzip.so
 * (entry "xcdunzip", lists and unpacks every format the plugin can read).
 *
 * A call hands the plugin an argument vector built like a command line and a
 * callback for events. The result's low 16 bits are the result code
 * (XCD_CODE_*); the high 16 bits are zero. The plugin calls back
 * synchronously on the caller's thread and never keeps the record or its
 * strings after the callback returns. A callback that returns non-zero stops
 * the operation, which then returns XCD_CODE_ABORTED.
 *
 * Plain C so that either side may be rebuilt on its own. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define XCD_API_VERSION 100

#define XCD_ZIP_LIBRARY "libxcdzip.so"
#define XCD_UNZIP_LIBRARY "libxcdunzip.so"
#define XCD_ZIP_ENTRY "xcdzip"
#define XCD_UNZIP_ENTRY "xcdunzip"

/* Result codes. */
#define XCD_CODE_SUCCESS 0
#define XCD_CODE_WARNING 10          /* done, but a moved file could not be deleted */
#define XCD_CODE_BAD_ARGUMENTS 20    /* the argument vector is malformed */
#define XCD_CODE_NOTHING_TO_DO 30    /* no file or entry matched */
#define XCD_CODE_SKIPPED 40          /* done, but some files were skipped */
#define XCD_CODE_NOT_FOUND 100       /* the archive does not exist */
#define XCD_CODE_CORRUPT 110         /* damaged, unreadable or absurd archive */
#define XCD_CODE_OUT_OF_MEMORY 120
#define XCD_CODE_MULTIDISK_UPDATE 130 /* freshen or update asked in multi-disk mode */
#define XCD_CODE_DISK_FULL 150
#define XCD_CODE_BUSY 180            /* another call of the plugin is running */
#define XCD_CODE_ABORTED 190
#define XCD_CODE_NO_LIBRARY 240      /* the plugin or its entry point is missing */
#define XCD_CODE_TEMP_FILE 280       /* the temporary file could not be made or moved */
#define XCD_CODE_REPEATED_NAMES 370  /* two files get one name once paths are dropped */
#define XCD_CODE_ACCESS 400          /* the archive or a folder could not be opened or created */

/* Events. */
#define XCD_EVENT_REPLACE 10        /* target exists; callback sets answer 1 to replace */
#define XCD_EVENT_TESTING 50
#define XCD_EVENT_EXTRACTING 60     /* one file begins */
#define XCD_EVENT_LISTING 80        /* one entry of a listed archive */
#define XCD_EVENT_PASSWORD 100      /* callback fills text with a password */
#define XCD_EVENT_NEWDISK 110
#define XCD_EVENT_FILE_COMMENT 120  /* callback fills text with a comment */
#define XCD_EVENT_UPDATING 1000     /* an entry is replaced by a newer file */
#define XCD_EVENT_ADDING 1010       /* a file is added */
#define XCD_EVENT_DELETING 1020     /* a moved file's original is deleted */
#define XCD_EVENT_STATUS 1030       /* progress of the current file */
#define XCD_EVENT_SKIPPING 1060     /* a file or entry is left out */
#define XCD_EVENT_FIXING 1070

/* File attributes (the DOS bits). */
#define XCD_ATTR_READONLY 0x01
#define XCD_ATTR_HIDDEN 0x02
#define XCD_ATTR_DIRECTORY 0x10
#define XCD_ATTR_ARCHIVE 0x20

typedef struct XcdFileRecord {
  uint32_t structSize;     /* sizeof(XcdFileRecord) */
  const char* fileName;    /* name as stored in the archive (UTF-8, '/' separated) */
  uint64_t size;           /* uncompressed size */
  uint64_t compressedSize; /* packed size, 0 when the format does not tell */
  uint64_t bytesProcessed; /* bytes of the current file done so far */
  int32_t percent;         /* 0..100 */
  uint32_t attributes;     /* XCD_ATTR_* */
  int64_t dateTime;        /* modification time, seconds since 1970 (UTC) */
  int32_t encrypted;       /* non-zero for an encrypted entry */
  int32_t answer;          /* event 10: in 0, set to 1 to replace */
  char* text;              /* events 100 and 120: buffer for the answer, NUL-terminated */
  uint32_t textSize;       /* its capacity in bytes */
  int32_t reason;          /* event 1060: XCD_SKIP_* */
} XcdFileRecord;

/* Why event 1060 left a file out. */
#define XCD_SKIP_UNSAFE_NAME 1 /* absolute, "..", drive prefix */
#define XCD_SKIP_LINK 2        /* symbolic or hard link, device, pipe */
#define XCD_SKIP_EXISTS 3      /* target exists and is not overwritten */
#define XCD_SKIP_PASSWORD 4    /* encrypted and no working password */
#define XCD_SKIP_UNREADABLE 5  /* source file could not be read */
#define XCD_SKIP_WRITE 6       /* target could not be written */
#define XCD_SKIP_UNSUPPORTED 7 /* the entry's method cannot be unpacked */

typedef int32_t (*XcdCallback)(int32_t event, XcdFileRecord* record, void* user);
typedef int32_t (*XcdEntryPoint)(int32_t version, int32_t argc, const char* const* argv, XcdCallback callback,
                                 void* user);

#ifdef __cplusplus
}
#endif
