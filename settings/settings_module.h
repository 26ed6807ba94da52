#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include "data/user_accounts.h"

namespace tillora {

class FormWindow;
class HandlerRegistry;
class ODBCDB;
class ProductImport;

// Owns what the settings window and its user dialogs share (the database, the hooks the rest of
// the program fills in) and provides their handlers. Must outlive every window it serves.
//
// The settings window reaches other parts of the program only through these hooks: the sales
// windows (receipt number and its format, the remembered-products switch, the refresh of the shop
// name and note), the logo and printer windows. The logged-in user is the CurrentUser.
class SettingsModule {
  public:
    using WindowHook = std::function<void(FormWindow* owner)>;
    using TextSource = std::function<QString()>;
    using Notice = std::function<void()>;

    explicit SettingsModule(ODBCDB& db);

    void registerHandlers(HandlerRegistry& registry);

    // Opens the settings window over `owner`, which stays disabled until it closes.
    bool open(FormWindow* owner);

    ODBCDB& database() const { return db_; }

    // 格式设置, 设置logo and 选择打印机; without a hook the button says the function is not open.
    void openFormat(FormWindow* owner) const;
    void openLogo(FormWindow* owner) const;
    void openPrinter(FormWindow* owner) const;
    void setFormatOpener(WindowHook hook) { openFormat_ = std::move(hook); }
    void setLogoOpener(WindowHook hook) { openLogo_ = std::move(hook); }
    void setPrinterOpener(WindowHook hook) { openPrinter_ = std::move(hook); }

    // The next receipt number, shown read-only on the print page.
    QString nextReceiptNumber() const { return nextNumber_ ? nextNumber_() : QString(); }
    void setNextReceiptNumber(TextSource source) { nextNumber_ = std::move(source); }

    // 自动记忆商品信息: whether the sales entry window remembers the products it sells. Kept
    // for the run only; without hooks the module keeps the switch itself.
    bool remembersProducts() const { return readRemember_ ? readRemember_() : remember_; }
    void setRemembersProducts(bool on);
    void setProductMemory(std::function<bool()> read, std::function<void(bool)> write) {
        readRemember_ = std::move(read);
        writeRemember_ = std::move(write);
    }

    // Told when the settings window has closed, so that open windows show what was saved.
    void settingsClosed() const;
    void setClosedNotice(Notice notice) { closed_ = std::move(notice); }

    // 导出 on the product page: the list goes out through the program's export flow; without a
    // hook the button says the function is not open.
    using ListExport = std::function<void(FormWindow* owner, const QStringList& titles,
                                          const QList<QStringList>& rows)>;
    void exportList(FormWindow* owner, const QStringList& titles,
                    const QList<QStringList>& rows) const;
    void setListExport(ListExport hook) { export_ = std::move(hook); }
    // 导入 shows what it will store and asks; tests answer in its place.
    using ImportConfirm = std::function<bool(const ProductImport& plan, FormWindow* owner)>;
    bool confirmImport(const ProductImport& plan, FormWindow* owner) const;
    void setImportConfirm(ImportConfirm hook) { confirmImport_ = std::move(hook); }

    // The user the change dialog edits, chosen on the user page before it opens.
    const UserAccount& editedUser() const { return editedUser_; }
    void setEditedUser(UserAccount user) { editedUser_ = std::move(user); }

  private:
    ODBCDB& db_;
    WindowHook openFormat_;
    WindowHook openLogo_;
    WindowHook openPrinter_;
    TextSource nextNumber_;
    bool remember_ = true;
    std::function<bool()> readRemember_;
    std::function<void(bool)> writeRemember_;
    Notice closed_;
    ListExport export_;
    ImportConfirm confirmImport_;
    UserAccount editedUser_;
};

}  // namespace tillora
