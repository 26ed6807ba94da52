#pragma once

#include "templates/template_set.h"
#include "tests/support/program_folder_fixture.h"
#include "tests/support/program_templates.h"

namespace tillora::test {

// A program folder with its template database, and the program's own window templates read
// for the fixture above to register its handlers and open windows over. Like the folder, a
// fixture built on it calls its SetUp first and stops on a fatal failure.
class ProgramTemplatesFixture : public ProgramFolderFixture {
  protected:
    void SetUp() override {
        ProgramFolderFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(readProgramTemplates(set));
    }

    TemplateSet set;
};

}  // namespace tillora::test
