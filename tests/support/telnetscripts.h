#pragma once

#include <QByteArray>
#include <QString>

// Checks of the Telnet layer driven by arbitrary bytes, shared by the fuzz
// target and the regression rows of the Telnet tests. Each returns an empty
// text when every property holds, otherwise what went wrong.

// The bytes as wire input to one codec: byte 0 picks the role (bit 0 set: the
// server, after its start()), the rest is the wire. Decoding it whole, one byte
// at a time and in chunks whose sizes the input itself gives must yield the
// same data and the same answers.
QString CheckTelnetSplits(const QByteArray &input);

// The bytes as a script for a client and a second end back to back, each
// writing through its own link as the program does: the client's frames go
// out only once the options have settled (both wires quiet, no request of its
// own unanswered), the far end writes only after a request has reached it (a
// board answers requests only).
//
//   byte 0   bit 0 set: the far end is a server (it offers its options at
//            connect); clear: a second client
//   then ops, op byte c, n = (c >> 2) % 8 + 1:
//     c & 3 == 0   the client writes the next n bytes
//     c & 3 == 1   the far end writes the next n bytes
//     c & 3 == 2   a stray negotiation IAC (WILL + b0 % 4) b1 from the next two
//                  bytes is put on the wire to the client ((c >> 2) & 1) or to
//                  the far end
//     c & 3 == 3   the wire to the client ((c >> 2) & 1) or to the far end
//                  delivers its next (c >> 3) + 1 bytes
//   then both wires are delivered until quiet.
//
// Properties: the two ends go quiet (no endless answering: at most a handful
// of answers per option and stray request), each end reads exactly what the
// other wrote (unless a stray negotiation of BINARY made them disagree on the
// way), and once quiet they agree on BINARY both ways, so any block encoded
// by one decodes to itself at the other (after a stray negotiation of BINARY
// one throwaway block each way first: a decoder may still hold a lone CR read
// in the other mode).
QString CheckTelnetPair(const QByteArray &script);
