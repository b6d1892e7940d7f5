#include "CupsJobs.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <algorithm>

#include <cups/cups.h>

namespace CupsJobs {

QList<Job> settled(const QString& queue) {
    const QByteArray name = queue.toLocal8Bit();
    const QDeadlineTimer patience(60000);
    QList<Job> jobs;
    for (;;) {
        cups_job_t* list = nullptr;
        const int count =
            cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, name.constData(), 0, CUPS_WHICHJOBS_ALL);
        bool busy = false;
        jobs.clear();
        for (int i = 0; i < count; ++i) {
            busy = busy || list[i].state < IPP_JSTATE_STOPPED;
            jobs.append({list[i].id, QString::fromUtf8(list[i].title),
                         list[i].state == IPP_JSTATE_COMPLETED});
        }
        cupsFreeJobs(count, list);
        if (!busy || patience.hasExpired())
            break;
        QThread::msleep(100);
    }
    std::sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) { return a.id < b.id; });
    return jobs;
}

QMap<QString, QString> attributes(const Job& job) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr,
                 QByteArray("ipp://localhost/jobs/" + QByteArray::number(job.id)).constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    QMap<QString, QString> found;
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        if (!ippGetName(a))
            continue;
        char value[1024];
        ippAttributeString(a, value, sizeof value);
        found.insert(QString::fromUtf8(ippGetName(a)), QString::fromUtf8(value));
    }
    ippDelete(response);
    return found;
}

QString pdfOf(const Job& job) {
    const QDir dir(qEnvironmentVariable("VORLAP_TEST_PDF_DIR"));
    // A job without a name comes out as "job_ID-untitled_document.pdf".
    const QStringList found = dir.entryList(
        {QStringLiteral("*-job_%1.pdf").arg(job.id), QStringLiteral("job_%1-*.pdf").arg(job.id)},
        QDir::Files);
    return found.size() == 1 ? dir.filePath(found[0]) : QString();
}

} // namespace CupsJobs
