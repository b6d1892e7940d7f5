#pragma once

#include <QList>
#include <QMap>
#include <QString>

// What the CUPS server of with-cups.sh recorded of the jobs it received, asked through libcups,
// and the PDF files its cups-pdf queue wrote.
namespace CupsJobs {

struct Job {
    int id = 0;
    QString title;
    bool completed = false;
};

// Every job the queue received, oldest first, once none of them waits or prints any more
// (a minute at most).
QList<Job> settled(const QString& queue);

// The job's attributes as the server keeps them, each value as IPP writes it ("2", "1-1").
QMap<QString, QString> attributes(const Job& job);

// The PDF that cups-pdf wrote for the job ("NAME-job_ID.pdf", NAME being the job's name
// without its extension); empty when there is none.
QString pdfOf(const Job& job);

} // namespace CupsJobs
