#pragma once

#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/template_database.h"
#include "tests/support/first_cell.h"
#include "tests/support/temp_program_folder.h"

#include <gtest/gtest.h>

namespace tillora::test {

// A freshly written template database in its own program folder, opened.
class FreshDatabase : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        path = databasePath(folder.path());
        ASSERT_TRUE(writeTemplateDatabase(path));
        ASSERT_TRUE(db.OpenMdbDatabase(path));
    }

    // The first column of the first row as an integer (count queries).
    int number(const QString& sql) { return firstNumber(db, sql); }
    QString text(const QString& sql) { return firstText(db, sql); }

    TempProgramFolder folder;
    QString path;
    ODBCDB db;
};

}  // namespace tillora::test
