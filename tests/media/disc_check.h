#pragma once

#include <QString>

// Whether the disc authoring tools take a file as it is, as a user who burns
// our output would find out.
namespace testmedia {

// Empty when dvdauthor accepts the file as a DVD title (dvdauthor -o TMP -t FILE,
// then -T), else its complaint: the tool's output.
QString DvdauthorComplaint(const QString& mpegFile);
// Empty when vcdimager makes a VCD 2.0 (svcd false) or SVCD image of the file
// (vcdimager -t vcd2|svcd -c .cue -b .bin), else its complaint.
QString VcdimagerComplaint(const QString& mpegFile, bool svcd);

} // namespace testmedia
