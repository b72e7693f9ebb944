/*
 * RARExtract: the archive library beside the program. Five exports with the call
 * pattern of the published UnRAR library interface: open an archive, read one
 * member header after another, extract (or skip) the member just read, close.
 *
 * Plain C, fixed-width fields, standard calling convention; exported by these
 * exact, undecorated names. Records use the platform's natural C layout (the
 * library checks the field offsets at compile time).
 */
#ifndef KESTRO_RAR_EXTRACT_API_H
#define KESTRO_RAR_EXTRACT_API_H

#include <stdint.h>

#ifdef _WIN32
#define KESTRO_RAR_CALL __stdcall
#else
#define KESTRO_RAR_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Open modes. */
#define KESTRO_RAR_OM_LIST 0
#define KESTRO_RAR_OM_EXTRACT 1

/* Operations of KESTROProcessFile. */
#define KESTRO_RAR_SKIP 0
#define KESTRO_RAR_TEST 1
#define KESTRO_RAR_EXTRACT 2

/* Results (0 is success), numbered as the UnRAR interface numbers them. */
#define KESTRO_ERAR_SUCCESS 0
#define KESTRO_ERAR_END_ARCHIVE 10
#define KESTRO_ERAR_NO_MEMORY 11
#define KESTRO_ERAR_BAD_DATA 12
#define KESTRO_ERAR_BAD_ARCHIVE 13
#define KESTRO_ERAR_UNKNOWN_FORMAT 14
#define KESTRO_ERAR_EOPEN 15
#define KESTRO_ERAR_ECREATE 16
#define KESTRO_ERAR_ECLOSE 17
#define KESTRO_ERAR_EREAD 18
#define KESTRO_ERAR_EWRITE 19
#define KESTRO_ERAR_SMALL_BUF 20
#define KESTRO_ERAR_UNKNOWN 21
#define KESTRO_ERAR_MISSING_PASSWORD 22
#define KESTRO_ERAR_BAD_PASSWORD 24

/* Member flags in the header record. */
#define KESTRO_RHDF_ENCRYPTED 0x04u
#define KESTRO_RHDF_DIRECTORY 0x20u

#define KESTRO_RAR_NAME_SIZE 260

/* A member is written up to this many bytes (the scanner's examination limit of
 * 10,485,760 bytes plus one); the rest of a larger member is not written. The
 * scanner never examines a file of the limit or more, so its verdict on the
 * shortened copy is the same, and a small archive that unpacks to gigabytes
 * cannot fill the disk. */
#define KESTRO_RAR_MAX_MEMBER_BYTES 10485761

/* Archive handle: a 32-bit value, 0 when no archive was opened. */
typedef int32_t KESTROArchiveHandle;

/* Open record, in/out. */
struct KESTROOpenArchiveData {
  const char* ArcName; /* archive path, ANSI (UTF-8 on POSIX systems) */
  uint32_t OpenMode;   /* KESTRO_RAR_OM_* */
  uint32_t OpenResult; /* written by the library: 0 = opened */
  char* CmtBuf;        /* comment buffer: archive comments are not read, CmtSize is set to 0 */
  uint32_t CmtBufSize;
  uint32_t CmtSize;
  uint32_t CmtState;
};

/* Header record, filled by KESTROReadHeader. Fields the library cannot learn
 * from the archive (packed size, host system, CRC, method) are 0. */
struct KESTROHeaderData {
  char ArcName[KESTRO_RAR_NAME_SIZE];  /* archive path as opened, NUL-terminated */
  char FileName[KESTRO_RAR_NAME_SIZE]; /* member path inside the archive, NUL-padded;
                                          the platform's separator ("\" on Windows) */
  uint32_t Flags;                      /* KESTRO_RHDF_* */
  uint32_t PackSize;
  uint32_t UnpSize;  /* low 32 bits of the unpacked size */
  uint32_t HostOS;
  uint32_t FileCRC;
  uint32_t FileTime; /* MS-DOS date and time (local time) of the modification time */
  uint32_t UnpVer;   /* 29 for RAR 4 archives, 50 for RAR 5 */
  uint32_t Method;
  uint32_t FileAttr; /* Windows attributes on Windows, the mode bits elsewhere */
  char* CmtBuf;      /* unused: CmtSize and CmtState are set to 0 */
  uint32_t CmtBufSize;
  uint32_t CmtSize;
  uint32_t CmtState;
};

/* Opens the archive named by the record. Returns a handle and OpenResult 0, or
 * 0 and a non-zero OpenResult (a missing file, not a RAR archive, headers that
 * cannot be read or are encrypted). */
KESTROArchiveHandle KESTRO_RAR_CALL KESTROOpenArchive(struct KESTROOpenArchiveData* data);

/* Remembers a password for the archive. Encrypted members can still not be
 * extracted: the library reports them as not extractable. */
void KESTRO_RAR_CALL KESTROSetPassword(KESTROArchiveHandle handle, const char* password);

/* Reads the next member's header: 0, or KESTRO_ERAR_END_ARCHIVE at the end, or
 * another error when the archive cannot be read further. */
int32_t KESTRO_RAR_CALL KESTROReadHeader(KESTROArchiveHandle handle, struct KESTROHeaderData* header);

/* Acts on the member whose header was read last. KESTRO_RAR_EXTRACT writes it to
 * destName when that is not empty (creating missing folders on the way), else
 * to destPath joined with the member's name (refused for names that would leave
 * destPath). A folder member creates the folder. Returns 0 when done. Encrypted
 * members give KESTRO_ERAR_MISSING_PASSWORD (KESTRO_ERAR_BAD_PASSWORD once a
 * password was set); damaged data gives KESTRO_ERAR_BAD_DATA and no file. */
int32_t KESTRO_RAR_CALL KESTROProcessFile(KESTROArchiveHandle handle, int32_t operation,
                                          const char* destPath, const char* destName);

/* Closes the archive: 0, or KESTRO_ERAR_ECLOSE for an unknown handle. */
int32_t KESTRO_RAR_CALL KESTROCloseArchive(KESTROArchiveHandle handle);

/* Pointer types for callers that bind the exports by name. */
typedef KESTROArchiveHandle(KESTRO_RAR_CALL* KESTROOpenArchiveFn)(struct KESTROOpenArchiveData*);
typedef void(KESTRO_RAR_CALL* KESTROSetPasswordFn)(KESTROArchiveHandle, const char*);
typedef int32_t(KESTRO_RAR_CALL* KESTROReadHeaderFn)(KESTROArchiveHandle, struct KESTROHeaderData*);
typedef int32_t(KESTRO_RAR_CALL* KESTROProcessFileFn)(KESTROArchiveHandle, int32_t, const char*, const char*);
typedef int32_t(KESTRO_RAR_CALL* KESTROCloseArchiveFn)(KESTROArchiveHandle);

#ifdef __cplusplus
}
#endif

#endif /* KESTRO_RAR_EXTRACT_API_H */
