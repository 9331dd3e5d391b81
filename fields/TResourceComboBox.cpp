#include "fields/TResourceComboBox.h"

#include "fields/FieldsLog.h"
#include "rest/TApiPaths.h"
#include "rest/THttpVerbs.h"
#include "gui/TMessageBox.h"

#include <QCollator>

#include <optional>

namespace {

// The options array of a combo answer: a bare array, or the "content" of a page object.
const TJson *OptionsOf(const TRestResult &answer)
{
    if (answer.Text.startsWith(QLatin1Char('[')))
        return answer.Array();
    const TJson *page = answer.Object();
    if (!page)
        return nullptr;
    const auto content = page->find("content");
    return content != page->end() && content->is_array() ? &*content : nullptr;
}

const QCollator &DisplayOrder()
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

TResourceComboBox::TResourceComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    // A dependent fill stopped by a bad element is shown here, not unwound through Qt's frames.
    connect(this, &QComboBox::currentIndexChanged, this, [this] { ShowErrorsOf([this] { Change(); }); });
}

TResourceComboBox::~TResourceComboBox() = default;

void TResourceComboBox::SetResourceType(TResourceType value)
{
    FResourceType = value;
    if (!FValues)
        FOptionsLoaded = value == rtNone;
}

void TResourceComboBox::ClearOptions()
{
    const QSignalBlocker blocker(this);
    clear();
    FOptions.clear();
}

void TResourceComboBox::AddOption(const TComboValue &value)
{
    const QSignalBlocker blocker(this);
    const bool noneSelected = currentIndex() < 0;
    int low = 0;
    int high = count();
    while (low < high) { // first item whose text sorts after the new one: equal texts keep their order
        const int middle = (low + high) / 2;
        if (DisplayOrder().compare(itemText(middle), value.DisplayValue()) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    FOptions.push_back(std::make_unique<TComboValue>(value));
    insertItem(low, value.DisplayValue(), QVariant::fromValue(int(FOptions.size() - 1)));
    // Qt selects the first option put into an empty list. Taken back at once, so a fill never
    // selects, even one an element stops halfway, and choosing that option later is a change.
    if (noneSelected)
        setCurrentIndex(-1);
}

const TComboValue *TResourceComboBox::ValueAt(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    bool ok = false;
    const int slot = itemData(index).toInt(&ok);
    return ok && slot >= 0 && std::size_t(slot) < FOptions.size() ? FOptions[std::size_t(slot)].get() : nullptr;
}

const TComboValue *TResourceComboBox::SelectedValue() const
{
    return ValueAt(currentIndex());
}

void TResourceComboBox::SelectKey(const QString &key)
{
    if (!FOptionsLoaded) {
        setCurrentIndex(-1);
        FPendingKey = key;
        return;
    }
    FPendingKey.clear();
    for (int i = 0; i < count(); ++i) {
        if (ValueAt(i)->KeyValue() == key) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
}

QString TResourceComboBox::SelectedKey() const
{
    if (const TComboValue *value = SelectedValue())
        return value->KeyValue();
    return FPendingKey;
}

void TResourceComboBox::ClearSelection()
{
    FPendingKey.clear();
    setCurrentIndex(-1);
    setCurrentText(QString());
}

void TResourceComboBox::Load()
{
    ClearOptions();
    FOptionsLoaded = false;
    QString query;
    for (const TResourceParam &param : FParams)
        query += TApiPaths::QueryParam(param.Name, param.Value);
    // A newer load replaces this one: its answer is then dropped.
    THttpVerbs::Get(TApiPaths::ComboOptions(FResource, query), this,
        FOptionsRequest.Replace([this](const TRestResult &answer) { ShowErrorsOf([&] { ApplyAnswer(answer); }); }));
}

void TResourceComboBox::ApplyAnswer(const TRestResult &answer)
{
    if (answer.Is(404)) {
        TMessageBox::Show(TRestResult::NotFoundText, TMessageKind::Error, QString());
        return;
    }
    const TJson *options = answer.Is(200) ? OptionsOf(answer) : nullptr;
    if (!options)
        return;
    const QPointer<TResourceComboBox> self(this);
    try {
        Load(*options);
    } catch (const EJsonException &error) { // the options made before the bad element stay
        qCWarning(lcFields) << "options of" << FResource << "stopped:" << error.what();
    }
    if (self)
        emit OptionsArrived();
}

void TResourceComboBox::Load(const TJson &Values)
{
    auto values = std::make_shared<const TJson>(Values);
    ClearOptions();
    FValues = values;
    FOptionsLoaded = true;
    if (FValues->is_array()) {
        // An element without its members stops here: the key remembered from the record stays.
        for (const TJson &element : *FValues)
            AddOption(TComboValue(GetValueText(element, FKeyField), GetValueText(element, FDisplayField), &element));
    }
    if (const QString pending = FPendingKey; !pending.isEmpty())
        SelectKey(pending);
}

void TResourceComboBox::Change()
{
    if (currentIndex() >= 0)
        FPendingKey.clear();
    const TComboValue *selected = SelectedValue();
    if (!FSubObject || !selected || !selected->ObjctValue())
        return;
    const TJson &object = *selected->ObjctValue();
    const auto nested = object.is_object() ? object.find(FSubObject->Resource().toStdString()) : object.end();
    if (object.is_object() && nested != object.end() && nested->is_array())
        FSubObject->Load(*nested);
}
