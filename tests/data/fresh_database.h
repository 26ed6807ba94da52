#pragma once

#include "tests/support/program_folder_fixture.h"

namespace tillora::test {

// A freshly written template database in its own program folder, opened.
using FreshDatabase = ProgramFolderFixture;

}  // namespace tillora::test
