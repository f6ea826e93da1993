#include "engine/errors.h"

#include <algorithm>
#include <array>

#include "engine/file/file_session.h"

namespace isam {
namespace {

// In the texts, %P stands for the file's path, %F for the field name, %I for
// the index name and %X for the extra text; everything else is literal.
struct MessageEntry {
  int code;
  const char* text;
};

constexpr std::array kMessages = {
    MessageEntry{8705, "Beginning of file encountered in data file %P"},
    MessageEntry{8706, "End of file encountered in data file %P"},
    MessageEntry{8708, "Key not found in index %I of data file %P"},
    MessageEntry{8710, "Record not found in data file %P"},
    MessageEntry{8711, "End of blob data in data file %P reached prematurely"},
    MessageEntry{8961, "Header information corrupt in data file %P"},
    MessageEntry{8962, "Data record buffers corrupt in data file %P"},
    MessageEntry{8963, "BLOB block buffers corrupt in data file %P"},
    MessageEntry{8965, "Index page buffers corrupt in data file %P"},
    MessageEntry{9217, "Error reading from data file %P"},
    MessageEntry{9218, "Error writing to data file %P"},
    MessageEntry{9220, "Cannot delete data file %P"},
    MessageEntry{9221, "Error accessing file header information for data file %P"},
    MessageEntry{9477, "Maximum record size exceeded in data file %P"},
    MessageEntry{9479, "The data file %P is full and cannot contain any more data"},
    MessageEntry{9482, "Too many filters defined for data file %P"},
    MessageEntry{9487,
                 "Maximum or minimum limits on number of indexes or fields in an index exceeded in "
                 "data file %P"},
    MessageEntry{9492,
                 "Maximum or minimum limits on number of fields or field size exceeded in data file %P"},
    MessageEntry{9494, "Too many blobs opened in data file %P"},
    MessageEntry{9498, "Too many blob fields or invalid blob block size specified for data file %P"},
    MessageEntry{9729, "Duplicate key found in index %I of data file %P"},
    MessageEntry{9730, "The value for the field %F in data file %P is below the minimum allowable value"},
    MessageEntry{9731, "The value for the field %F in data file %P is above the maximum allowable value"},
    MessageEntry{9732, "A value must be provided for the field %F in data file %P"},
    MessageEntry{9985, "Invalid field number or name %F specified for data file %P"},
    MessageEntry{9993, "A primary index is already defined for data file %P and cannot be added again"},
    MessageEntry{9998, "Invalid blob offset into data file %P specified"},
    MessageEntry{10000, "Invalid field definition specified for the field %F in data file %P"},
    MessageEntry{10006,
                 "Invalid default, min or max validity check, or expression specified for %F in data "
                 "file %P"},
    MessageEntry{10010, "The secondary index name is missing or not specified for data file %P"},
    MessageEntry{10015, "Password provided for data file %P is invalid"},
    MessageEntry{10022, "Invalid secondary index name %I specified for data file %P"},
    MessageEntry{10023, "Invalid field number %F specified in index %I for data file %P"},
    MessageEntry{10026, "Invalid key size specified in index %I for data file %P"},
    MessageEntry{10027, "The secondary index %I already exists for data file %P"},
    MessageEntry{10029, "Invalid blob length in data file %P"},
    MessageEntry{10030, "Invalid blob handle for data file %P specified"},
    MessageEntry{10031, "Data file %P is already in use"},
    MessageEntry{10038, "Invalid or duplicate field name %F specified for data file %P"},
    MessageEntry{10050, "Invalid filter handle specified for data file %P"},
    MessageEntry{10051, "Invalid filter expression specified for data file %P"},
    MessageEntry{10055, "The primary index cannot be removed from data file %P"},
    MessageEntry{10241, "The data file %P is already locked by another user"},
    MessageEntry{10242, "Cannot unlock data file or record in data file %P"},
    MessageEntry{10249, "General lock failure with data file %P"},
    MessageEntry{10253, "Data file %P must be opened exclusively"},
    MessageEntry{10258, "Record in data file %P is in use by another user"},
    MessageEntry{10498, "Insufficient rights to data file %P, a password is required"},
    MessageEntry{10753, "Invalid blob field %F specified for data file %P"},
    MessageEntry{10758, "ISAM engine not initialized"},
    MessageEntry{11010, "Invalid path or file name for data file %P"},
    MessageEntry{11012, "Too many files open while attempting to open data file %P"},
    MessageEntry{11013, "Access denied to data file %P"},
    MessageEntry{11014, "Invalid file handle for data file %P"},
    MessageEntry{11016,
                 "There is insufficient operating system memory available for the current operation"},
    MessageEntry{11017, "Invalid length for in-memory data file %P"},
    MessageEntry{11023, "Access denied to logical operating system device for data file %P"},
    MessageEntry{11025, "Data file %P has been moved"},
    MessageEntry{11047, "An unknown operating system error occurred with data file %P"},
    MessageEntry{11949, "SQL - %X"},
    MessageEntry{12035, "Data file %P is not the correct version"},
    MessageEntry{12292, "Invalid field type specified for index %I in data file %P"},
    MessageEntry{15878, "The language driver for data file %P is not available or installed"},
};

constexpr const char* kUnknownMessage = "Unknown error occurred with data file %P";
constexpr size_t kMaxTextLength = 127;

const char* TemplateFor(int code) {
  auto it = std::find_if(kMessages.begin(), kMessages.end(),
                         [code](const MessageEntry& e) { return e.code == code; });
  return it == kMessages.end() ? kUnknownMessage : it->text;
}

std::string Expand(const char* text, const ErrorContext& context) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p == '%' && p[1]) {
      switch (p[1]) {
        case 'P': out += context.fileName; ++p; continue;
        case 'F': out += context.fieldName; ++p; continue;
        case 'I': out += context.indexName; ++p; continue;
        case 'X': out += context.extra; ++p; continue;
        default: break;
      }
    }
    out += *p;
  }
  return out;
}

}  // namespace

std::string ErrorText(int code, const ErrorContext& context) {
  std::string text = Expand(TemplateFor(code), context);
  if (text.size() > kMaxTextLength) text.resize(kMaxTextLength);
  return text;
}

std::string ErrorMessage(int code, const ErrorContext& context) {
  return "ISAM Engine Error # " + std::to_string(code) + " " + ErrorText(code, context);
}

EIsamEngineError::EIsamEngineError(int code, const ErrorContext& context)
    : std::runtime_error(ErrorMessage(code, context)), code_(code) {
  errors_.push_back({code, ErrorText(code, context)});
}

void ThrowEngineError(int code) {
  TFileSession* session = CurrentFileSession();
  ErrorContext context;
  if (session && session->lastError.code == code) context = session->lastError;
  throw EIsamEngineError(code, context);
}

}  // namespace isam
