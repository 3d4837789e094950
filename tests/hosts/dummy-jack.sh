# Sourced by the host tests that need JACK: starts a dummy JACK server named
# $server, logging to $work/jack.log, and sets jack_pid. The caller kills it.
start_dummy_jack() {
  jackd --no-realtime -n "$server" -d dummy -r 48000 -p 512 > "$work/jack.log" 2>&1 &
  jack_pid=$!
  sleep 2
  # Servers killed without unregistering fill JACK's registry in shared memory.
  # When no JACK server runs at all, the registry is stale: start afresh.
  if ! kill -0 "$jack_pid" 2> /dev/null && grep -q "Too many servers" "$work/jack.log" \
     && ! pgrep -x 'jackd|jackdbus' > /dev/null; then
    rm -f /dev/shm/jack-shm-registry
    jackd --no-realtime -n "$server" -d dummy -r 48000 -p 512 > "$work/jack.log" 2>&1 &
    jack_pid=$!
    sleep 2
  fi
}
