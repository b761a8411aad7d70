#!/usr/bin/env bash
# Lists what a screen reader sees of the running program over AT-SPI: the
# program is started on the history of build/bin under Xvfb, with its own
# D-Bus session and accessibility bus, and each window's tables are listed
# with their name, size, column headers and cells (roles, names and
# descriptions), as Orca would read them.  A tool, not a test; it needs
# Debian's at-spi2-core, python3-pyatspi, dbus and xvfb.
#
#   bash scripts/at-spi.sh                  # the prediction window, as the program opens it
#   bash scripts/at-spi.sh 出現頻度分析 3   # that window too (menu command by caption), 3 rows a table
#   AT_SPI_BIN=build/bin bash scripts/at-spi.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${AT_SPI_BIN:-build/bin}
[ -x "$bin/kazumaki" ] || { echo "no $bin/kazumaki: build it first (bash scripts/build.sh)" >&2; exit 1; }
for p in dbus-run-session xvfb-run /usr/libexec/at-spi-bus-launcher; do
  command -v "$p" >/dev/null || { echo "missing $p: sudo apt-get install at-spi2-core dbus xvfb" >&2; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "missing pyatspi: sudo apt-get install python3-pyatspi" >&2; exit 1; }

window=${1:-}
rows=${2:-6}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# a copy of the program folder, so that nothing the program writes lands in the build
cp -r "$bin/." "$work/"

cat >"$work/list.py" <<'EOF'
import sys, time
import pyatspi

window, rows = sys.argv[1], int(sys.argv[2])

def app():
    for _ in range(300):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name == "kazumaki":
                return a
        time.sleep(0.1)
    sys.exit("the program did not appear on the accessibility bus")

def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        if child.getRoleName() == "table cell" or child.getRoleName().endswith("header"):
            continue  # a table lists its cells itself
        yield from walk(child, depth + 1)

def cell_text(c):
    if c is None:
        return "-"
    t = c.name or ""
    d = c.description
    return (t if t else "（空）") + (f"［{d}］" if d else "")

def list_table(node, depth):
    t = node.queryTable()
    pad = "  " * depth
    print(f"{pad}表「{node.name}」 {t.nRows}行 × {t.nColumns}列")
    if node.description:
        print(f"{pad}  説明：{node.description}")
    heads = []
    for c in range(t.nColumns):
        h = t.getColumnHeader(c)
        heads.append(h.name if h is not None else "")
    if any(heads):
        print(f"{pad}  列見出し：" + " | ".join(heads))
    for r in range(min(rows, t.nRows)):
        cells = [t.getAccessibleAt(r, c) for c in range(t.nColumns)]
        print(f"{pad}  行{r + 1}: " + " | ".join(cell_text(c) for c in cells))
    if t.nRows > rows:
        print(f"{pad}  …（ほか{t.nRows - rows}行）")

a = app()
deadline = time.time() + 30
while time.time() < deadline:  # the prediction window opens once the history is read
    tables = [n for n, _ in walk(a) if n.getRoleName() == "table"]
    if tables:
        break
    time.sleep(0.2)
print(f"アプリケーション「{a.name}」")
for node, depth in walk(a):
    role = node.getRoleName()
    if role == "table":
        list_table(node, depth)
    elif role in ("frame", "internal frame", "push button", "label", "menu item", "radio button", "page tab",
                  "text", "combo box", "check box", "menu bar", "menu"):
        if role in ("menu item",) and depth > 4:
            continue
        print("  " * depth + f"{role}「{node.name}」")
EOF

cat >"$work/run.sh" <<EOF
set -e
/usr/libexec/at-spi-bus-launcher --launch-immediately &
sleep 1
cd "$work"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
./kazumaki >/dev/null 2>&1 &
prog=\$!
sleep 2
if [ -n "$window" ]; then
  /usr/bin/python3 - "$window" <<'PY' || true
import sys, time, pyatspi
name = sys.argv[1]
for _ in range(100):
    d = pyatspi.Registry.getDesktop(0)
    apps = [d.getChildAtIndex(i) for i in range(d.childCount)]
    a = next((x for x in apps if x is not None and x.name == "kazumaki"), None)
    if a is not None:
        break
    time.sleep(0.1)
def find(node):
    if node.getRoleName() == "menu item" and node.name.replace("(&", "(").startswith(name):
        return node
    for i in range(node.childCount):
        c = node.getChildAtIndex(i)
        if c is not None and c.getRoleName() not in ("table", "table cell"):
            f = find(c)
            if f is not None:
                return f
    return None
item = find(a)
if item is None:
    sys.exit(f"no menu item {name}")
item.queryAction().doAction(0)
time.sleep(3)
PY
fi
/usr/bin/python3 "$work/list.py" "$window" "$rows"
kill \$prog
wait \$prog 2>/dev/null || true
EOF
dbus-run-session -- xvfb-run -a -s "-screen 0 1600x1000x24" bash "$work/run.sh"
