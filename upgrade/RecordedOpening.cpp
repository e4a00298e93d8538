// The settings, the record and the connection, in that order.
#include "upgrade/RecordedOpening.h"

#include "products/Products.h"

namespace orvel {

namespace {

RecordWriter startRecord(const RunRecords* records, const RecordHeader& header) {
    return records ? records->start(header) : RecordWriter();
}

}  // namespace

std::optional<RecordWriter> OpenRecorded(Database& db, ConnectionSettings& settings, const RunOptions& options,
                                         RecordKind kind, const RunRecords* records,
                                         const Opening& opening) {
    RecordHeader header{kind, std::string(ProductIdForEntry(options.productEntry)), options, "", false};
    try {
        if (!settings.Prepare(options)) return std::nullopt;
    } catch (const std::exception& e) {
        startRecord(records, header).failed(e, kStageSettings);
        throw;
    }
    header.connectionText = settings.ConnectionText();
    return OpenRecorded(db, header, records, opening);
}

RecordWriter OpenRecorded(Database& db, const RecordHeader& header, const RunRecords* records,
                          const Opening& opening) {
    RecordWriter record = startRecord(records, header);
    try {
        if (opening)
            opening(record, header);
        else
            OpenConnection(db, header.connectionText);
    } catch (const std::exception& e) {
        record.failed(e, kStageOpening);
        throw;
    }
    return record;
}

}  // namespace orvel
