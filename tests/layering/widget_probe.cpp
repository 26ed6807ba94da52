// Checked as a file of data/ by the layering test: data/ links Qt Core alone.
#include <QString>
#include <QWidget>
