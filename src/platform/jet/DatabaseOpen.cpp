// Kept apart from Database.cpp so that code opening a database over a reader of its
// own (the tests' stand-in) does not pull in the file reader.
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/Provider.h"

namespace jet {

std::shared_ptr<Database> Database::Open(const std::string& path, const std::string& password,
                                         std::shared_ptr<SalvageLog> salvage) {
  return OpenOver(MdbFile::Open(path, password, std::move(salvage)));
}

}  // namespace jet
