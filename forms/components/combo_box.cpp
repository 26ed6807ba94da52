#include "forms/components/combo_box.h"

#include "forms/component_font.h"

#include <QComboBox>
#include <QLineEdit>

namespace tillora {

QWidget* ComboBox::makeWidget(QWidget* parent) {
    combo_ = new QComboBox(parent);
    combo_->setEditable(block_.style != 2);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->addItems(block_.items);
    for (qsizetype i = 0; i < block_.itemValues.size() && i < block_.items.size(); ++i) {
        combo_->setItemData(static_cast<int>(i), block_.itemValues.at(i));
    }
    if (block_.sorted != 0) {
        combo_->model()->sort(0);
    }
    combo_->setCurrentIndex(block_.currentItem);
    if (combo_->isEditable()) {
        if (block_.currentItem < 0) {
            combo_->setEditText(block_.content);
        }
        if (block_.maxLength > 0) {
            combo_->lineEdit()->setMaxLength(block_.maxLength);
        }
    }
    combo_->setFont(toQFont(block_.font, combo_->font()));
    QPalette pal = combo_->palette();
    if (block_.textColour != kDefaultColour) {
        pal.setColor(QPalette::Text, toQColor(block_.textColour));
    }
    if (block_.backColour != kDefaultColour) {
        pal.setColor(QPalette::Base, toQColor(block_.backColour));
    }
    combo_->setPalette(pal);
    connect(combo_, &QComboBox::activated, this,
            [this](int index) { raise(event::kComboItemChosen, {Value::fromInt(index)}); });
    connect(combo_, &QComboBox::editTextChanged, this, [this] { raise(event::kComboTextChanged); });
    return combo_;
}

QString ComboBox::text() const {
    if (combo_ == nullptr) {
        return block_.content;
    }
    return combo_->currentText();
}

void ComboBox::setText(const QString& text) {
    block_.content = text;
    if (combo_ == nullptr) {
        return;
    }
    if (combo_->isEditable()) {
        combo_->setEditText(text);
    } else {
        combo_->setCurrentIndex(combo_->findText(text));
    }
}

QStringList ComboBox::items() const {
    if (combo_ == nullptr) {
        return block_.items;
    }
    QStringList list;
    for (int i = 0; i < combo_->count(); ++i) {
        list << combo_->itemText(i);
    }
    return list;
}

void ComboBox::setItems(const QStringList& items) {
    block_.items = items;
    block_.itemValues.clear();
    if (combo_ != nullptr) {
        const QString edit = combo_->isEditable() ? combo_->currentText() : QString();
        combo_->clear();
        combo_->addItems(items);
        combo_->setCurrentIndex(-1);
        if (combo_->isEditable()) {
            combo_->setEditText(edit);
        }
    }
}

void ComboBox::addItem(const QString& text, qint32 value) {
    block_.items << text;
    if (combo_ != nullptr) {
        combo_->addItem(text, value);
    }
}

qint32 ComboBox::itemValue(int index) const {
    if (combo_ != nullptr) {
        return combo_->itemData(index).toInt();
    }
    return index >= 0 && index < block_.itemValues.size() ? block_.itemValues.at(index) : 0;
}

int ComboBox::currentIndex() const {
    return combo_ != nullptr ? combo_->currentIndex() : block_.currentItem;
}

void ComboBox::setCurrentIndex(int index) {
    block_.currentItem = index;
    if (combo_ != nullptr) {
        combo_->setCurrentIndex(index);
    }
}

QVariant ComboBox::ownProperty(int index) const {
    switch (index) {
        case 0:
            return block_.style;
        case 1:
            return block_.maxLength;
        case 6:
            return block_.textColour;
        case 7:
            return block_.backColour;
        case 8:
            return currentIndex();
        case 11:
            return text();
        case 12:
            return items();
        default:
            return {};
    }
}

bool ComboBox::setOwnProperty(int index, const QVariant& value) {
    switch (index) {
        case 8:
            setCurrentIndex(value.toInt());
            return true;
        case 11:
            setText(value.toString());
            return true;
        case 12:
            setItems(value.toStringList());
            return true;
        default:
            return false;
    }
}

void ComboBox::storeCurrent(ComboBoxBlock& out) const {
    out.items = items();
    out.currentItem = currentIndex();
    out.content = combo_ != nullptr && combo_->isEditable() ? combo_->currentText() : out.content;
    out.itemValues.clear();
    if (combo_ != nullptr) {
        for (int i = 0; i < combo_->count(); ++i) {
            out.itemValues << combo_->itemData(i).toInt();
        }
    }
}

}  // namespace tillora
