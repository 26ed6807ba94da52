#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tillora {

// Error codes with a fixed text (1..11); 0 means the error is described by its text alone.
struct RuntimeErrorCode {
    enum : int {
        None = 0,
        IndexOutOfRange = 1,
        NumberExpected = 2,
        DimensionMismatch = 3,
        IndexBelowOne = 4,
        TypeMismatch = 5,
        StackUnbalanced = 6,
        NoResult = 7,
        EqualityOnly = 8,
        ChoiceOutOfRange = 9,
        RedimInvalid = 10,
        ArgumentType = 11,
    };
};

// The fixed text of codes 1..11; empty for any other code.
QString runtimeErrorTableText(int code);

// Texts of the errors raised with code 0.
QString windowLoadFailedText();                          // a window cannot be loaded
QString allocationFailedText(quint64 bytes);             // a memory block cannot be allocated
QString bindingErrorNoLibraryText(const QString& name);  // not in any system library
QString bindingErrorText(const QString& library, const QString& name);
QString componentMissingText();          // window or component does not exist / not loaded
QString windowNotLoadedText();           // property access on an unloaded window
QString componentWindowNotLoadedText();  // property access, component's window not loaded
QString eventWindowMissingText();        // event for an unknown window
QString eventComponentMissingText();     // event for an unknown component
QString eventComponentInvalidText();     // event for an invalid component
QString notNumericText();                // a non-number converted as a number

// The runtime error box's text: the heading, the code (when not 0), the text (when not empty).
QString runtimeErrorText(int code, const QString& text);

// Where a fatal runtime error is told before the process ends. The window layer installs the
// error box; until one is installed the text goes to standard error, so that code without a
// display still says why it ended.
class RuntimeErrorSink {
  public:
    virtual ~RuntimeErrorSink() = default;
    virtual void show(int code, const QString& text) = 0;
};

// Installs `sink` (nullptr: standard error); returns the previous one.
RuntimeErrorSink* setRuntimeErrorSink(RuntimeErrorSink* sink);

// Tells the installed sink and ends the process with exit code -1 after the shutdown steps.
// Reports raised while reporting end at once.
[[noreturn]] void reportRuntimeError(int code, const QString& text = {});

// The shell's ordered shutdown, run after the box and before the process ends.
void setRuntimeErrorShutdown(std::function<void()> shutdown);

// How the process ends; the default flushes output and ends with the given code at once. Tests
// install one that throws so that they can watch the end; one that returns is not trusted and
// the process ends anyway. Returns the previous one.
using RuntimeErrorExit = std::function<void(int exitCode)>;
RuntimeErrorExit setRuntimeErrorExit(RuntimeErrorExit exit);

}  // namespace tillora
