#pragma once

// The process-wide services, each one object for the whole run and each replaceable by tests:
//
//   message boxes         messageService() / setMessageService()        message_service.h
//                         (the real box: QtMessageService)               qt_message_service.h
//   file dialogs          fileDialogService() / setFileDialogService()  file_dialog_service.h
//   runtime error box     installRuntimeErrorBox(); raised through
//                         reportRuntimeError() (values/runtime_error.h)  runtime_error_box.h
//   out-of-memory guard   installMemoryGuard()                           memory_guard.h
//   external functions    programFunctions()                             external_function_table.h
//
// Including this header gives all of them.
#include "forms/services/external_function_table.h"
#include "forms/services/file_dialog_service.h"
#include "forms/services/memory_guard.h"
#include "forms/services/message_service.h"
#include "forms/services/qt_message_service.h"
#include "forms/services/runtime_error_box.h"
