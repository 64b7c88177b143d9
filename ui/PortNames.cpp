#include "ui/PortNames.h"

namespace {

// Rows by port number; columns by PortKind (Input, Output).
const char* const portNames[][2] = {
    {"入力ﾎﾟｰﾄ 0 ( 0 - 7 )", "出力ﾎﾟｰﾄ 0 ( 0 - 7 )"},
    {"入力ﾎﾟｰﾄ 1 ( 8 - 15 )", "出力ﾎﾟｰﾄ 1 ( 8 - 15 )"},
    {"入力ﾎﾟｰﾄ 2 ( 16 - 23 )", "出力ﾎﾟｰﾄ 2 ( 16 - 23 )"},
    {"入力ﾎﾟｰﾄ 3 ( 24 - 31 )", "出力ﾎﾟｰﾄ 3 ( 24 - 31 )"},
    {"ﾎﾟｰﾄ E (PE0 - PE7)", "ﾎﾟｰﾄ E (PE0 - PE7)"},
    {"ﾎﾟｰﾄ F (PF0 - PF7)", "ﾎﾟｰﾄ F (PF0 - PF7)"},
};
const unsigned knownPorts = sizeof portNames / sizeof portNames[0];

const char unknownPortName[] = "不明なポート";

} // namespace

const char* PortName(PortKind kind, unsigned port) {
    if (port >= knownPorts)
        return unknownPortName;
    return portNames[port][kind == PortKind::Output ? 1 : 0];
}
