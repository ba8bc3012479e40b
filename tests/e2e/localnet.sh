#!/bin/sh
# Runs a command on a local network of its own: a network namespace made
# here (unshare), holding a multicast-capable interface 10.77.0.1/24 with
# nothing behind it, a private system D-Bus and an avahi-daemon that
# publishes and browses only there. Nothing reaches the machine's own
# interfaces. Everything started here is stopped before it ends; the
# command's exit status is the script's.
#
#   tests/e2e/localnet.sh COMMAND [ARG...]
#   tests/e2e/localnet.sh --check     exit 0 when such a namespace can be made
set -eu

if [ "${ZORBLE_LOCALNET:-}" != 1 ]; then
    if [ "${1:-}" = --check ]; then
        exec unshare -rnm true
    fi
    ZORBLE_LOCALNET=1 exec unshare -rnm --propagation private "$0" "$@"
fi

work=$(mktemp -d)
dbus_pid=
avahi_pid=
stop() {
    [ -n "$avahi_pid" ] && kill "$avahi_pid" 2>/dev/null && wait "$avahi_pid" 2>/dev/null
    [ -n "$dbus_pid" ] && kill "$dbus_pid" 2>/dev/null && wait "$dbus_pid" 2>/dev/null
    rm -rf "$work"
}
trap stop EXIT INT TERM

ip link set lo up
# A dummy interface where the kernel has them, else a pair of virtual
# Ethernet ends joined to each other; both stay inside the namespace.
if ! ip link add zl0 type dummy 2>/dev/null; then
    ip link add zl0 type veth peer name zl1
    ip link set zl1 up
fi
ip link set zl0 multicast on up
ip addr add 10.77.0.1/24 dev zl0

# The daemons' fixed paths under /run, private to this mount namespace.
mount -t tmpfs tmpfs /run
mkdir -p /run/dbus /run/avahi-daemon
# With only root mapped in the user namespace, the daemon's own user is root.
if [ "$(awk '{print $3}' /proc/self/uid_map)" != 4294967295 ]; then
    sed 's/^avahi:[^:]*:[0-9]*:[0-9]*:/avahi:x:0:0:/' /etc/passwd > "$work/passwd"
    sed 's/^avahi:[^:]*:[0-9]*:/avahi:x:0:/' /etc/group > "$work/group"
    mount --bind "$work/passwd" /etc/passwd
    mount --bind "$work/group" /etc/group
fi

cat > "$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
CONF
cat > "$work/avahi.conf" <<CONF
[server]
host-name=zorble-localnet
use-ipv4=yes
use-ipv6=no
allow-interfaces=zl0
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
CONF

dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile &
dbus_pid=$!
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
i=0
until [ -S "$work/system_bus_socket" ]; do
    i=$((i + 1)); [ $i -lt 100 ] || { echo "localnet: no D-Bus" >&2; exit 1; }
    sleep 0.05
done
avahi-daemon -f "$work/avahi.conf" --no-drop-root --no-chroot --no-rlimits \
    > "$work/avahi.log" 2>&1 &
avahi_pid=$!
i=0
until grep -q 'Server startup complete' "$work/avahi.log"; do
    i=$((i + 1))
    if [ $i -ge 200 ] || ! kill -0 "$avahi_pid" 2>/dev/null; then
        echo "localnet: avahi-daemon did not start" >&2
        cat "$work/avahi.log" >&2
        exit 1
    fi
    sleep 0.05
done

set +e
"$@"
status=$?
set -e
exit $status
