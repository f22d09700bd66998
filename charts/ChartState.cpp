#include "charts/ChartState.h"

namespace {

struct MeasureInfo
{
    ChartState::Measure measure;
    const char* word;
    const char* titleSuffix;
};

const MeasureInfo kMeasures[] = {
    {ChartState::Measure::Planned, "Planned", "Days Planned)"},
    {ChartState::Measure::Est, "Est", "New Estimate in Days)"},
    {ChartState::Measure::PerComp, "PerComp", "% Completed)"},
    {ChartState::Measure::Needed, "Needed", "Days Worked)"},
    {ChartState::Measure::Diff, "Diff", "Days Ahead/Behind Plan)"},
    {ChartState::Measure::Completion_Date, "Completion_Date", "Earliest Completion Date)"},
    {ChartState::Measure::Progress, "Progress", "Progress := (#Planned - #Estimate) / #Planned)"},
};

const MeasureInfo& info(ChartState::Measure measure)
{
    for (const MeasureInfo& m : kMeasures) {
        if (m.measure == measure) {
            return m;
        }
    }
    return kMeasures[4];
}

} // namespace

QString ChartState::measureWord(Measure measure)
{
    return QString::fromLatin1(info(measure).word);
}

QString ChartState::ChartMeasure() const
{
    if (source == ChartSource::Goals) {
        return QStringLiteral("CompDates.") + measureWord(measure);
    }
    return QStringLiteral("CompDatesRes.S") + measureWord(measure);
}

QString ChartState::ChartTitle() const
{
    QString prefix;
    switch (aggregate) {
    case Aggregate::Avg:
        prefix = QStringLiteral("Average (");
        break;
    case Aggregate::Sum:
        prefix = QStringLiteral("Sum (");
        break;
    case Aggregate::First:
        prefix = QStringLiteral("First (");
        break;
    case Aggregate::Last:
        prefix = QStringLiteral("Last (");
        break;
    }
    return prefix + QString::fromLatin1(info(measure).titleSuffix);
}

std::optional<ChartState::Measure> ChartState::measureFromText(const QString& text)
{
    QString word = text;
    if (word.startsWith(QLatin1String("CompDatesRes.S"), Qt::CaseInsensitive)) {
        word = word.mid(14);
    } else if (word.startsWith(QLatin1String("CompDates."), Qt::CaseInsensitive)) {
        word = word.mid(10);
    }
    for (const MeasureInfo& m : kMeasures) {
        if (word.compare(QLatin1String(m.word), Qt::CaseInsensitive) == 0) {
            return m.measure;
        }
    }
    return std::nullopt;
}

QString ChartState::aggregateText(Aggregate aggregate)
{
    switch (aggregate) {
    case Aggregate::Avg:
        return QStringLiteral("Avg");
    case Aggregate::Sum:
        return QStringLiteral("Sum");
    case Aggregate::First:
        return QStringLiteral("First");
    case Aggregate::Last:
        break;
    }
    return QStringLiteral("Last");
}

std::optional<ChartState::Aggregate> ChartState::aggregateFromText(const QString& text)
{
    for (Aggregate a : {Aggregate::Avg, Aggregate::Sum, Aggregate::First, Aggregate::Last}) {
        if (text.compare(aggregateText(a), Qt::CaseInsensitive) == 0) {
            return a;
        }
    }
    return std::nullopt;
}

QString ChartState::groupingText(Grouping grouping)
{
    switch (grouping) {
    case Grouping::Year:
        return QStringLiteral("Year");
    case Grouping::Quarter:
        return QStringLiteral("Quarter");
    case Grouping::Month:
        return QStringLiteral("Month");
    case Grouping::Week:
        return QStringLiteral("Week");
    case Grouping::Day:
        break;
    }
    return QStringLiteral("Day");
}

std::optional<ChartState::Grouping> ChartState::groupingFromText(const QString& text)
{
    for (Grouping g : {Grouping::Year, Grouping::Quarter, Grouping::Month, Grouping::Week, Grouping::Day}) {
        if (text.compare(groupingText(g), Qt::CaseInsensitive) == 0) {
            return g;
        }
    }
    return std::nullopt;
}
