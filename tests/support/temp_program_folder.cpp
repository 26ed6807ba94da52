#include "tests/support/temp_program_folder.h"

#include <QDir>

namespace tillora::test {

TempProgramFolder::TempProgramFolder()
    : dir_(QDir::tempPath() + QStringLiteral("/tillora-test-XXXXXX")) {}

}  // namespace tillora::test
