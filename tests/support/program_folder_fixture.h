#pragma once

#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/template_database.h"
#include "tests/support/first_cell.h"
#include "tests/support/temp_program_folder.h"

#include <gtest/gtest.h>

namespace tillora::test {

// A program folder of its own with a freshly written template database, opened. A fixture
// built on it calls its SetUp first and stops on a fatal failure.
class ProgramFolderFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        path = databasePath(folder.path());
        ASSERT_TRUE(writeTemplateDatabase(path));
        ASSERT_TRUE(db.OpenMdbDatabase(path));
    }

    // The first column of the first row as an integer (count queries), or as text.
    int number(const QString& sql) { return firstNumber(db, sql); }
    QString text(const QString& sql) { return firstText(db, sql); }

    TempProgramFolder folder;
    QString path;
    ODBCDB db;
};

}  // namespace tillora::test
