#include "values/runtime_error.h"

#include <cstdio>
#include <cstdlib>

namespace tillora {

namespace {

std::function<void()>& shutdownSteps() {
    static std::function<void()> steps;
    return steps;
}

[[noreturn]] void endProcess(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

RuntimeErrorExit& exitFunction() {
    static RuntimeErrorExit exit;
    return exit;
}

bool reporting = false;

RuntimeErrorSink* installedSink = nullptr;

void showOnStandardError(int code, const QString& text) {
    std::fputs(runtimeErrorText(code, text).toLocal8Bit().constData(), stderr);
}

// Clears the reporting mark when a test's exit function unwinds the report.
struct ReportingMark {
    ReportingMark() { reporting = true; }
    ~ReportingMark() { reporting = false; }
    ReportingMark(const ReportingMark&) = delete;
    ReportingMark& operator=(const ReportingMark&) = delete;
};

[[noreturn]] void finish() {
    if (const RuntimeErrorExit& exit = exitFunction()) {
        exit(-1);
    }
    endProcess(-1);
}

}  // namespace

QString runtimeErrorTableText(int code) {
    switch (code) {
        case 1:
            return QStringLiteral("数组成员引用下标超出定义范围");
        case 2:
            return QStringLiteral("未得到所需要的数值型数据");
        case 3:
            return QStringLiteral("引用数组成员时维数不为1且不等于该数组目前所具有的维数");
        case 4:
            return QStringLiteral("数组成员引用下标必须大于等于1");
        case 5:
            return QStringLiteral("数据或数组类型不匹配");
        case 6:
            return QStringLiteral("调用DLL命令后发现堆栈错误");
        case 7:
            return QStringLiteral("子语句参数未返回数据或者返回了非系统基本类型或数组型数据");
        case 8:
            return QStringLiteral("被比较数据只能使用等于或不等于命令比较");
        case 9:
            return QStringLiteral("“多项选择”命令的索引值参数小于零或超出了所提供参数表范围");
        case 10:
            return QStringLiteral("“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零");
        case 11:
            return QStringLiteral("所提供参数的数据类型不符合要求");
        default:
            return {};
    }
}

QString windowLoadFailedText() {
    return QStringLiteral("载入启动窗口失败");
}

QString allocationFailedText(quint64 bytes) {
    return QStringLiteral("分配 %1 字节内存失败!").arg(bytes);
}

QString bindingErrorNoLibraryText(const QString& name) {
    return QStringLiteral("无法找到指定DLL库文件中的输出命令“%1”").arg(name);
}

QString bindingErrorText(const QString& library, const QString& name) {
    return QStringLiteral("无法找到指定DLL库文件“%1”中的输出命令“%2”").arg(library, name);
}

QString componentMissingText() {
    return QStringLiteral("指定窗口或窗口组件不存在或尚未载入");
}
QString windowNotLoadedText() {
    return QStringLiteral("指定窗口尚未载入");
}
QString componentWindowNotLoadedText() {
    return QStringLiteral("未载入欲访问窗口组件所在的窗口");
}
QString eventWindowMissingText() {
    return QStringLiteral("未找到引发事件的窗口");
}
QString eventComponentMissingText() {
    return QStringLiteral("未找到引发事件的窗口组件");
}
QString eventComponentInvalidText() {
    return QStringLiteral("引发事件的窗口组件无效");
}
QString notNumericText() {
    return QStringLiteral("欲转换数据类型不是数值");
}

QString runtimeErrorText(int code, const QString& text) {
    QString s = QStringLiteral("运行时出错!\r\n\r\n");
    if (code != 0) {
        s += QStringLiteral("错误代码：") + QString::number(code) + QStringLiteral("\r\n\r\n");
    }
    if (!text.isEmpty()) {
        s += QStringLiteral("错误信息：") + text + QStringLiteral("\r\n");
    }
    return s;
}

void reportRuntimeError(int code, const QString& text) {
    if (reporting) {
        // A failure inside the report or the shutdown: the first box was enough.
        finish();
    }
    const ReportingMark mark;
    if (installedSink != nullptr) {
        installedSink->show(code, text);
    } else {
        showOnStandardError(code, text);
    }
    if (const auto& steps = shutdownSteps()) {
        steps();
    }
    finish();
}

RuntimeErrorSink* setRuntimeErrorSink(RuntimeErrorSink* sink) {
    RuntimeErrorSink* previous = installedSink;
    installedSink = sink;
    return previous;
}

void setRuntimeErrorShutdown(std::function<void()> shutdown) {
    shutdownSteps() = std::move(shutdown);
}

RuntimeErrorExit setRuntimeErrorExit(RuntimeErrorExit exit) {
    RuntimeErrorExit previous = std::move(exitFunction());
    exitFunction() = std::move(exit);
    return previous;
}

}  // namespace tillora
