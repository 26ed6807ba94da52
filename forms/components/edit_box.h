#pragma once

#include "forms/components/block_component.h"
#include "forms/input_mode.h"

class QLineEdit;
class QPlainTextEdit;

namespace tillora {

// 1/5 edit box: a QLineEdit, or a QPlainTextEdit when multi-line (Enter then makes a new line).
// Own properties (number = 8 + index in the block): 8 border, 9 text colour, 10 background colour,
// 11 hide selection, 12 maximum length, 13 multi-line, 14 scroll bars, 15 alignment, 16 input mode,
// 17 password character, 18 case conversion, 19 spin mode, 20 spin minimum, 21 spin maximum,
// 22 selection start, 23 selection length, 24 font (bytes), 25 content.
// Events: 0 text changed.
class EditBox : public BlockComponent<EditBoxBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;

    QString text() const override;
    void setText(const QString& text) override;
    bool handlesEnter() const override;
    InputMode inputMode() const { return static_cast<InputMode>(block_.inputMode); }
    // Read-only and password modes take effect on the control at once.
    void setInputMode(InputMode mode);
    bool isMultiLine() const { return block_.multiLine != 0; }

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QList<QWidget*> eventSources() const override;
    void focusLeft() override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;
    void storeCurrent(EditBoxBlock& out) const override;

  private:
    void applyColours();
    void applyCase();
    int caret() const;
    void setCaret(int position);

    QLineEdit* line_ = nullptr;
    QPlainTextEdit* plain_ = nullptr;
};

}  // namespace tillora
