#pragma once

#include "common/Twips.h"

#include <QDateTime>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

class QPainter;

// One report's bands and how each is painted. All lengths are twips (1/1440 inch);
// a painter handed to a paint function is already scaled so that one unit is one
// twip, with the origin at the band's top-left corner of the page.
//
// A report is a list of groups; each group has an optional header, its detail lines
// and an optional footer. A report without grouping is one group without header and
// footer. Every page carries the page header (title, column labels, rule) and the page
// footer (page of pages, printing date and time). Paint functions are const and may be
// called for any page in any order.
class ReportLayout
{
public:
    enum class Band { PageHeader, GroupHeader, Detail, GroupFooter, PageFooter };

    struct Column
    {
        int left = 0; // twips from the left margin
        int right = 0;
        Qt::Alignment align = Qt::AlignLeft;
    };

    static constexpr int kTwipsPerInch = Twips::kPerInch;
    static constexpr int kMargin = 1440;
    // A4 in landscape: 297 mm by 210 mm.
    static constexpr int kPageWidth = 16838;
    static constexpr int kPageHeight = 11906;

    explicit ReportLayout(QString title);
    virtual ~ReportLayout();
    ReportLayout(const ReportLayout&) = delete;
    ReportLayout& operator=(const ReportLayout&) = delete;

    const QString& title() const { return m_title; }
    // The report's own name (the preview window's objectName).
    virtual QString name() const = 0;
    virtual int bodyWidth() const = 0;

    virtual int groupCount() const = 0;
    virtual int detailCount(int group) const = 0;
    // Height of a band; 0 when the report has no such band.
    virtual int bandHeight(Band band) const = 0;
    // When a group runs on over a page break, its header is drawn again at the top.
    virtual bool repeatsGroupHeader() const { return false; }

    void paintPageHeader(QPainter& painter, const QRectF& band) const;
    void paintPageFooter(QPainter& painter, const QRectF& band, int page, int pages, const QDateTime& printed) const;
    virtual void paintGroupHeader(QPainter& painter, const QRectF& band, int group) const;
    virtual void paintDetail(QPainter& painter, const QRectF& band, int group, int detail) const = 0;
    virtual void paintGroupFooter(QPainter& painter, const QRectF& band, int group) const;

    // Reports print in Arial; Liberation Sans and Arimo have the same metrics.
    static QFont font(int points, bool bold = false);

protected:
    // Column labels of the page header, below the title.
    virtual void paintPageLabels(QPainter& painter, const QRectF& row) const;
    // Height of the page header's title line, the label line and the rule below them.
    static int pageHeaderHeight(bool withLabels);
    // Band heights of a report of one line per row without groups: the labelled
    // page header, 240-twip lines and the page footer.
    static int outlineBandHeight(Band band);

    // Draws `text` inside a column of `row`, elided when too long. Leading spaces are an
    // indentation and are kept (text layout would otherwise swallow them).
    static void drawCell(QPainter& painter, const QRectF& row, const Column& column, const QString& text);
    static void drawLabel(QPainter& painter, const QRectF& row, const Column& column, const QString& text);

private:
    QString m_title;
};
