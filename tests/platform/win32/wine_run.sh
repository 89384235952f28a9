#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a test program under Wine (wine_run.sh WINE PROGRAM [ARGUMENTS]) once the prefix's last Wine
# server has gone: a server in its last moments drops a client that connects to it then ("wine
# client error: recvmsg: Connection reset by peer").
set -eu
wineserver -w
exec "$@"
