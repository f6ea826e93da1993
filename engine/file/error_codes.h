#pragma once
// Engine error codes and the context a failure stores about itself. Every
// layer returns 0 or one of these codes; ReportError (file_session.h) keeps
// the context in the current session record, and the table interface turns
// both into the message callers see (engine/errors.h).
#include <string>

namespace isam {

enum ErrorCode : int {
  kOk = 0,
  kBeginningOfFile = 8705,
  kEndOfFile = 8706,
  kKeyNotFound = 8708,
  kRecordNotFound = 8710,
  kBlobEndedEarly = 8711,
  kHeaderCorrupt = 8961,
  kRecordBuffersCorrupt = 8962,
  kBlobBuffersCorrupt = 8963,
  kIndexBuffersCorrupt = 8965,
  kReadError = 9217,
  kWriteError = 9218,
  kCannotDelete = 9220,
  kHeaderAccess = 9221,
  kRecordSizeExceeded = 9477,
  kFileFull = 9479,
  kTooManyFilters = 9482,
  kIndexLimits = 9487,
  kFieldLimits = 9492,
  kTooManyBlobs = 9494,
  kBlobFieldLimits = 9498,
  kDuplicateKey = 9729,
  kBelowMinimum = 9730,
  kAboveMaximum = 9731,
  kValueRequired = 9732,
  kInvalidField = 9985,
  kPrimaryIndexExists = 9993,
  kInvalidBlobOffset = 9998,
  kInvalidFieldDefinition = 10000,
  kInvalidValidityCheck = 10006,
  kSecondaryIndexNameMissing = 10010,
  kInvalidPassword = 10015,
  kInvalidSecondaryIndexName = 10022,
  kInvalidIndexField = 10023,
  kInvalidKeySize = 10026,
  kSecondaryIndexExists = 10027,
  kInvalidBlobLength = 10029,
  kInvalidBlobHandle = 10030,
  kFileInUse = 10031,
  kInvalidFieldName = 10038,
  kInvalidFilterHandle = 10050,
  kInvalidFilterExpression = 10051,
  kPrimaryIndexRemoval = 10055,
  kFileLocked = 10241,
  kCannotUnlock = 10242,
  kLockFailure = 10249,
  kNeedsExclusive = 10253,
  kRecordInUse = 10258,
  kPasswordRequired = 10498,
  kInvalidBlobField = 10753,
  kEngineNotInitialized = 10758,
  kInvalidPath = 11010,
  kTooManyOpenFiles = 11012,
  kAccessDenied = 11013,
  kInvalidHandle = 11014,
  kOutOfMemory = 11016,
  kInvalidMemoryFileLength = 11017,
  kDeviceAccessDenied = 11023,
  kFileMoved = 11025,
  kOperatingSystemError = 11047,
  kSqlError = 11949,
  kWrongVersion = 12035,
  kInvalidIndexFieldType = 12292,
  kLanguageDriverMissing = 15878,
};

// What the failing operation said about itself; kept in the engine session
// record and read when the message is built.
struct ErrorContext {
  int code = 0;
  std::string fileName;
  std::string fieldName;
  std::string extra;
  std::string indexName;
};

}  // namespace isam
