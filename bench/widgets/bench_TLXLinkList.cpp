// Row 9: one keystroke in the side bar's menu filter, from the text change to the end of the layout
// and paint it causes, at 1,000 and 5,000 entries; against a QListView over a QSortFilterProxyModel
// holding the same texts in a list of the same size, measured alternately in the same run.
// Narrowing goes from the whole menu to the entries holding "1"; widening goes back.

#include "bench/support/BenchSupport.h"

#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QSortFilterProxyModel>
#include <QStringListModel>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

const QSize kSideBar(228, 900);
const QString kNarrow = QStringLiteral("1");

QStringList Captions(int count)
{
    QStringList captions;
    for (int i = 1; i <= count; ++i)
        captions << QStringLiteral("Cadastro %1").arg(i);
    return captions;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// One side of the comparison: a shown list that a filter text is applied to.
struct TSide
{
    std::function<void(const QString &)> Apply;
    QWidget *Shown = nullptr;
    std::vector<double> NarrowMs;
    std::vector<double> WidenMs;
};

double TimeKeystroke(TSide &side, const QString &text)
{
    QElapsedTimer timer;
    timer.start();
    side.Apply(text);
    QCoreApplication::processEvents(); // the layout the text change asked for
    side.Shown->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
}

class TLinkListSide final
{
public:
    explicit TLinkListSide(const QStringList &captions)
    {
        FList.resize(kSideBar);
        FList.setColor(QColor(0x28, 0x2E, 0x3E));
        for (const QString &caption : captions) {
            TLXLinkListItem *item = FList.Items()->Add();
            item->setText(caption);
            QObject::connect(item->Label(), &TLXLinkListLabel::clicked, &FList, [] {});
        }
        FList.show();
        QCoreApplication::processEvents();
        Side.Apply = [this](const QString &text) { FList.Filter(text); };
        Side.Shown = &FList;
    }
    TSide Side;

private:
    TLXLinkList FList;
};

class TListViewSide final
{
public:
    explicit TListViewSide(const QStringList &captions) : FModel(captions)
    {
        FProxy.setSourceModel(&FModel);
        FProxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
        FView.setModel(&FProxy);
        // One line of text each, as a menu's entries are: the view need not measure them one by one.
        FView.setUniformItemSizes(true);
        FView.resize(kSideBar);
        FView.show();
        QCoreApplication::processEvents();
        Side.Apply = [this](const QString &text) { FProxy.setFilterFixedString(text); };
        Side.Shown = &FView;
    }
    TSide Side;

private:
    QStringListModel FModel;
    QSortFilterProxyModel FProxy;
    QListView FView;
};

void Measure(int entries, int rounds)
{
    const QStringList captions = Captions(entries);
    TLinkListSide ours(captions);
    TListViewSide limit(captions);
    // Each round narrows and widens both sides, alternating which goes first.
    for (int round = 0; round < rounds; ++round) {
        TSide &first = round % 2 ? limit.Side : ours.Side;
        TSide &second = round % 2 ? ours.Side : limit.Side;
        for (TSide *side : {&first, &second}) {
            side->NarrowMs.push_back(TimeKeystroke(*side, kNarrow));
            side->WidenMs.push_back(TimeKeystroke(*side, QString()));
        }
    }
    const std::string size = entries >= 5000 ? "5,000" : "1,000";
    const std::string row = entries >= 5000 ? "9k" : "9";
    const auto print = [&](const std::string &suffix, const char *what, double oursMs, double limitMs) {
        const double ratio = limitMs > 0 ? oursMs / limitMs : 0;
        bench::PrintRow(row + suffix, std::string(what) + ", " + size + " entries, vs QListView + proxy",
            bench::Format("%.2f ms", oursMs), bench::Format("%.2f ms", limitMs), bench::Format("%.2fx", ratio),
            "<= 16 ms, <= 3x", bench::Verdict(oursMs <= 16 && ratio <= 3));
    };
    print("n", "menu filter keystroke narrowing", Median(ours.Side.NarrowMs), Median(limit.Side.NarrowMs));
    print("w", "menu filter keystroke widening", Median(ours.Side.WidenMs), Median(limit.Side.WidenMs));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const bool quick = bench::QuickRun();
    Measure(1000, quick ? 1 : 21);
    if (!quick)
        Measure(5000, 11);
    return 0;
}
