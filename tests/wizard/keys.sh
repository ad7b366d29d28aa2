# The keyboard of the GUI tests: xdotool types on the display what a test
# asks for, as a user's keyboard would. A test writes a request file into the
# folder PX_KEYS ("mousemove X Y key KEY..."; the pointer rests on the window
# that shall get the keys) and waits until the file is gone.
# Source it; px_key_server starts the server for the life of the script.
px_key_server() {
  px_keys_dir=$(mktemp -d) || return 1
  export PX_KEYS="Z:${px_keys_dir//\//\\}"
  (
    while [ -d "$px_keys_dir" ]; do
      for f in "$px_keys_dir"/*.keys; do
        [ -e "$f" ] || continue
        # shellcheck disable=SC2046  # the request is xdotool's arguments
        xdotool $(cat "$f")
        rm -f "$f"
      done
      sleep 0.05
    done
  ) </dev/null >/dev/null 2>&1 &
}
px_key_server_stop() { rm -rf "${px_keys_dir:-}"; }
