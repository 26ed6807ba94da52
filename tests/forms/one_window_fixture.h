#pragma once

// A fixture that opens one hand-made window holding the given components.

#include <gtest/gtest.h>

#include <memory>

#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "tests/forms/window_test_templates.h"

namespace tillora::test {

class OneWindowTest : public ::testing::Test {
  protected:
    // The window, or null when it can't be opened.
    FormWindow* open(const QList<ComponentRecord>& records) {
        WindowTemplate w = windowTemplate(kTestWindow, QSize(406, 329));
        w.components << records;
        set_.windows = {w};
        manager_ = std::make_unique<FormManager>(set_, handlers_);
        return manager_->open(kTestWindow) ? manager_->window(kTestWindow) : nullptr;
    }
    TemplateSet set_;
    HandlerRegistry handlers_;
    std::unique_ptr<FormManager> manager_;
};

}  // namespace tillora::test
