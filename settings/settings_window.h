#pragma once

#include <vector>

#include "data/master_data.h"
#include "data/user_accounts.h"
#include "forms/window_logic.h"
#include "formset/settings_handles.h"

namespace tillora {

class SettingsModule;

// The settings window: the print settings, the remembered products and the users, one tab page
// each. Lives as a child of its FormWindow; holds nothing between openings.
class SettingsWindow : public WindowLogic<SettingsWindow> {
    Q_OBJECT

  public:
    SettingsWindow(SettingsModule& module, FormWindow* window);

    // Fills every page and closes to an ordinary user what needs an administrator.
    void start();

    // Page 0, 打印设置.
    void showReceiptNumber();
    void save();
    void showPrintedClicked();
    void askReprintClicked();
    void unitPriceClicked();

    // Page 1, 设置常用商品名.
    void fillProducts();
    void productRowChanged(int row);
    void addProduct();
    void changeProduct();
    void deleteProduct();
    void rememberClicked();
    // 导入: a product list from a spreadsheet, shown before it is stored; 导出: the list.
    void importProducts();
    void exportProducts();

    // Page 2, 设置用户（收银员）.
    void fillUsers();
    void addUser();
    void changeUser();
    void deleteUser();
    void cancelDirectLogin();

  private:
    void fillPrintPage();
    // Writes a tick box's new state; a failed write puts the tick back as stored.
    void storeTick(CheckBox& tick, QString (*statement)(bool));
    // The name and price of the product page when they may be stored; otherwise says why.
    bool productFits(const QString& name, const QString& price) const;
    // The barcode box when it may be stored for product `id` (0: a new one); otherwise says why.
    bool barcodeFits(const QString& code, int id) const;
    int selectedProductId() const;
    // The selected user, or nullptr.
    const UserAccount* selectedUser() const;
    // True for an administrator; an ordinary user is told that users are not theirs to manage.
    bool mayManageUsers() const;

    SettingsModule& module_;
    SettingsHandles ui_;
    std::vector<Product> products_;
    std::vector<UserAccount> users_;
};

}  // namespace tillora
