#pragma once

namespace tillora {

class SalesModule;
class SettingsModule;

// Joins the settings window to the sales windows: 软件设置 opens it; it shows the next receipt
// number, opens the number's format window, switches the remembering of products, and on closing
// has the sales entry window show what was saved.
void connectSettings(SettingsModule& settings, SalesModule& sales);

}  // namespace tillora
