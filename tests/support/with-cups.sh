#!/usr/bin/env bash
# Runs a command against a CUPS server of its own: a private cupsd with its configuration,
# spool, cache, logs and Unix socket in a temporary folder, and one cups-pdf queue whose PDFs
# land in a folder of that run. The machine's own CUPS is neither used nor changed. The
# command gets CUPS_SERVER (the private socket), VORLAP_TEST_PRINTER (the queue, also the
# server's default) and VORLAP_TEST_PDF_DIR (where each job's PDF appears). Where the server
# cannot start, the test is reported skipped (exit 77) with the reason; otherwise the
# command's own status stands.
set -u
skip() {
    echo "SKIPPED: $*: nothing was printed through CUPS."
    exit 77
}

export PATH="$PATH:/usr/sbin:/sbin"
missing=()
for tool in cupsd lpadmin lpstat; do
    command -v "$tool" > /dev/null || missing+=("$tool")
done
ppd=""
for candidate in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF.ppd; do
    [ -f "$candidate" ] && ppd="$candidate" && break
done
[ -n "$ppd" ] && [ -f /usr/lib/cups/backend/cups-pdf ] || missing+=(cups-pdf)
[ ${#missing[@]} -eq 0 ] ||
    skip "${missing[*]} not installed (Debian packages cups cups-client printer-driver-cups-pdf)"
# cups-pdf only runs as root, and reads its settings from /etc/cups alone.
[ "$(id -u)" -eq 0 ] || skip "a private cupsd with the cups-pdf backend needs root"
[ -w /etc/cups ] || skip "/etc/cups cannot be written, so cups-pdf cannot be sent to a folder of the test"

work="$(mktemp -d "/tmp/vorlap-cups-$$.XXXXXX")"
# The filters run as the lp user and read the spooled document from inside this folder.
chmod 755 "$work"
instance="vorlap-test-$$"
# cups-pdf takes a queue whose device is cups-pdf:/NAME to /etc/cups/cups-pdf-NAME.conf: the
# machine's own cups-pdf.conf stays as it is.
instance_conf="/etc/cups/cups-pdf-$instance.conf"
cupsd_pid=""
finish() {
    if [ -n "$cupsd_pid" ]; then
        kill "$cupsd_pid" 2> /dev/null
        wait "$cupsd_pid" 2> /dev/null
    fi
    rm -f "$instance_conf"
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 143' TERM INT

# A run that was killed may have left its instance file and folder behind; its process is gone.
for stale in /etc/cups/cups-pdf-vorlap-test-*.conf /tmp/vorlap-cups-*.*; do
    [ -e "$stale" ] || continue
    pid="${stale##*-}"
    pid="${pid%%.*}"
    kill -0 "$pid" 2> /dev/null || rm -rf "$stale"
done

mkdir -p "$work/etc" "$work/spool" "$work/cache" "$work/state" "$work/log" "$work/pdf" \
    "$work/cups-pdf-spool"
socket="$work/cups.sock"
cat > "$work/etc/cups-files.conf" << EOF
ServerRoot $work/etc
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
SystemGroup root
FileDevice No
EOF
cat > "$work/etc/cupsd.conf" << EOF
Listen $socket
Browsing No
DefaultShared No
WebInterface No
LogLevel warn
# A job that fails is dropped, the queue goes on taking the next one.
ErrorPolicy abort-job
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
# No comment lines: cups-pdf 3.0.1 can mistake one for the end of a PostScript title.
cat > "$instance_conf" << EOF
Out $work/pdf
AnonDirName $work/pdf
Spool $work/cups-pdf-spool
GSTmp $work/cups-pdf-spool
Log $work/log
EOF

# setpriv ends the server with this script even when the script itself is killed.
deathsig=()
setpriv --pdeathsig TERM true 2> /dev/null && deathsig=(setpriv --pdeathsig TERM)
"${deathsig[@]}" cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" \
    > "$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!

export CUPS_SERVER="$socket"
started=""
for _ in $(seq 100); do
    kill -0 "$cupsd_pid" 2> /dev/null || break
    if LC_ALL=C lpstat -r 2> /dev/null | grep -q "is running"; then
        started=1
        break
    fi
    sleep 0.1
done
if [ -z "$started" ]; then
    tail -n 5 "$work/log/cupsd.out" "$work/log/error_log" 2> /dev/null
    skip "the private cupsd did not start"
fi

queue="VorlapPDF"
# The job's name, not the title inside the PostScript, names each file: NAME-job_ID.pdf, the
# name without its extension.
if ! lpadmin -p "$queue" -v "cups-pdf:/$instance" -P "$ppd" -o TitlePref=1 -o Label=2 \
    -o LogType=3 -E > "$work/log/lpadmin.out" 2>&1 ||
    ! lpadmin -d "$queue" >> "$work/log/lpadmin.out" 2>&1; then
    cat "$work/log/lpadmin.out"
    skip "lpadmin could not add a cups-pdf queue to the private cupsd"
fi

export VORLAP_TEST_PRINTER="$queue"
export VORLAP_TEST_PDF_DIR="$work/pdf"
"$@"
status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
    echo "== The private cupsd's logs:"
    tail -n 20 "$work/log/error_log" "$work/log/cups-pdf-${queue}_log" 2> /dev/null
fi
exit "$status"
