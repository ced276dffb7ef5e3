#include "core/filetype/ExchangeFile.h"

#include "core/users/Users.h"

namespace Exchange
{
namespace
{
constexpr size_t kPreviewLines = 8;

class FileReader
{
public:
    FileReader(Context& context, const ImportChoices& choices, ImportPlan& plan)
        : m_context(context), m_choices(choices), m_plan(plan), m_speech(context.speech())
    {
    }
    std::optional<FileRows> read(QIODevice& device);

private:
    bool start(RecordReader& reader);
    QString refuse(const Record& record);
    void header(const Record& record);
    void fillUp(const Record& record);
    void take(const Record& record);
    bool problem(Text::Id text)
    {
        m_plan.problem = m_speech.text(text);
        return false;
    }

    Context& m_context;
    const ImportChoices& m_choices;
    ImportPlan& m_plan;
    const Speech& m_speech;
    FileRows m_file;
    Section m_section = Section::FillUps;
    QString m_title;
    QStringList m_sideHeader;
    bool m_headerNext = true, m_haveHeader = false, m_otherHeader = false;
    QString m_badHeader;
    qint64 m_dataLines = 0;
};

bool FileReader::start(RecordReader& reader)
{
    const QString first = reader.firstLine();
    if (reader.state() == RecordReader::State::Binary)
        return problem(Text::FileBinary);
    if (reader.state() == RecordReader::State::Empty)
        return problem(Text::FileEmpty);
    if (reader.state() != RecordReader::State::Text)
        return false;
    QString other;
    const std::optional<Shape> titled = shapeOfTitle(first, other);
    if (!other.isEmpty()) {
        m_plan.problem = m_speech.text(Text::NoFillUpsIn).arg(other);
        return false;
    }
    m_file.shape = titled.value_or(shapeOfHeader(first));
    m_section = m_file.shape.sectioned ? Section::Other : Section::FillUps;
    m_headerNext = !m_file.shape.sectioned;
    m_plan.separator = m_file.shape.separator;
    reader.setSeparator(m_file.shape.separator);
    return true;
}

QString FileReader::refuse(const Record& record)
{
    QString reason = m_speech.text(Text::QuoteNotClosed);
    if (record.problem == Record::TooLong)
        reason = m_speech.text(Text::LineTooLong).arg(MaxLineChars);
    else if (record.problem == Record::TooManyColumns)
        reason = m_speech.text(Text::TooManyColumns).arg(MaxColumns);
    else if (record.lastLine > record.line)
        reason = m_speech.text(Text::QuoteTakesIn).arg(record.line + 1).arg(record.lastLine);
    m_plan.refused.add(record.line, reason, record.lastLine);
    return reason;
}

// The header of the fill-ups: the columns the user gave, or chose before
// for this header, or those the file's shape says.
void FileReader::header(const Record& record)
{
    if (m_haveHeader) {
        m_otherHeader = record.fields != m_plan.header;
        return;
    }
    m_haveHeader = true;
    m_plan.header = record.fields;
    m_file.headerLine = record.fields.join(m_file.shape.separator);
    m_file.proposed = assignmentOf(m_file.shape, record.fields);
    m_plan.app = m_file.shape.app;
    m_plan.assignment = m_file.proposed;
    QString error;
    if (m_choices.columns) {
        m_plan.assignment = *m_choices.columns;
        m_file.chosen = true;
    } else if (!m_choices.columnsText.isEmpty()) {
        if (const std::optional<Assignment> a = Assignment::fromText(m_choices.columnsText, record.fields, error))
            m_plan.assignment = *a;
        m_plan.wrongColumns = error;
        m_file.chosen = true;
    } else if (!m_file.proposed.own) {
        const QString kept = m_context.users().importColumns(m_context.user(), m_file.headerLine);
        if (const std::optional<Assignment> a =
                kept.isEmpty() ? std::nullopt : Assignment::fromText(kept, record.fields, error)) {
            m_plan.assignment = *a;
            m_file.chosen = m_plan.remembered = true;
        }
    }
    m_file.rows = std::make_unique<RowStore>(m_plan.assignment);
}

void FileReader::fillUp(const Record& record)
{
    const QStringList& f = record.fields;
    // Spreadsheets write blank rows as separators alone; our own files
    // write such a line only for a record with nothing readable.
    if (!m_plan.ownFormat() && std::all_of(f.begin(), f.end(), [](const QString& c) { return c.trimmed().isEmpty(); }))
        return;
    if (m_otherHeader) {
        m_plan.refused.add(record.line, m_speech.text(Text::ColumnsDiffer));
        return;
    }
    for (qsizetype extra = m_plan.header.size(); extra < f.size(); ++extra)
        if (!f[extra].trimmed().isEmpty()) {
            m_plan.refused.add(record.line, m_speech.text(Text::TooManyFields).arg(f.size()).arg(m_plan.header.size()));
            return;
        }
    if (m_plan.preview.size() < kPreviewLines)
        m_plan.preview.push_back(f);
    ++m_dataLines;
    const QString vehicle = m_file.vehicles.empty() ? QString() : m_file.vehicles.back().name;
    m_file.rows->add(record.line, f, vehicle);
}

void FileReader::take(const Record& record)
{
    if (record.problem != Record::None) {
        const QString reason = refuse(record);
        // Without its header no line of the fill-ups can be read.
        if (m_headerNext && m_section == Section::FillUps && !m_haveHeader)
            m_badHeader =
                m_speech.text(Text::Row) + u' ' + QString::number(record.line) + QStringLiteral(": ") + reason;
        return;
    }
    if (m_file.shape.sectioned)
        if (const std::optional<QString> title = sectionTitle(m_file.shape, record)) {
            m_section = sectionOf(m_file.shape, *title);
            m_title = *title;
            m_headerNext = true;
            return;
        }
    if (m_headerNext) {
        m_headerNext = false;
        if (m_section == Section::FillUps)
            header(record);
        else
            m_sideHeader = record.fields;
        return;
    }
    switch (m_section) {
    case Section::FillUps:
        return fillUp(record);
    case Section::Vehicles:
    case Section::Metadata:
        return readSide(m_file.shape, m_section, m_sideHeader, record.fields, m_file.vehicles, m_file.shape.dateOrder);
    case Section::Other:
        m_file.otherSections[m_title] += 1;
        return;
    }
}

std::optional<FileRows> FileReader::read(QIODevice& device)
{
    RecordReader reader(device);
    if (!start(reader))
        return std::nullopt;
    Record record;
    while (m_badHeader.isEmpty() && reader.next(record)) {
        take(record);
        if (m_dataLines > MaxDataLines) {
            problem(Text::FileTooLarge);
            return std::nullopt;
        }
    }
    if (reader.state() == RecordReader::State::TooLarge) {
        problem(Text::FileTooLarge);
        return std::nullopt;
    }
    if (reader.state() == RecordReader::State::Failed) {
        m_plan.problem = m_speech.text(Text::CannotRead).arg(QString(), reader.errorString());
        return std::nullopt;
    }
    if (!m_plan.wrongColumns.isEmpty())
        return std::nullopt;
    if (!m_badHeader.isEmpty() && !m_haveHeader) {
        m_plan.problem = m_speech.text(Text::HeaderRefused).arg(m_badHeader);
        return std::nullopt;
    }
    if (!m_haveHeader || !m_plan.assignment.usable()) {
        problem(Text::NoColumns);
        return std::nullopt;
    }
    return std::move(m_file);
}
} // namespace

std::optional<FileRows> ReadFile(QIODevice& device, Context& context, const ImportChoices& choices, ImportPlan& plan)
{
    return FileReader(context, choices, plan).read(device);
}
} // namespace Exchange
