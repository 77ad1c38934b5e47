#!/bin/sh
# The program itself ends with status 0 on SIGTERM (a logout, a shutdown): its own main() makes
# the signal end its loop. ctest's time limit ends one that does not end.
#   check-signal-end.sh <program>
"$1" &
# Sent once the program catches SIGTERM (15: bit 14 of SigCgt), or after 20 s.
for try in $(seq 200); do
    caught=0000$(sed -n 's/^SigCgt:[[:space:]]*//p' /proc/$!/status)
    [ $((0x${caught#"${caught%????}"} & 0x4000)) -ne 0 ] && break
    sleep 0.1
done
kill -TERM $!
wait $!
