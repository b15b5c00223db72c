"""The SU2 and CGNS exports read by the tools users read them with: meshio for
SU2 (Debian python3-meshio), cgnscheck (cgns-convert) and VTK's CGNS reader
(python3-vtk9). Run by CTest with Debian's /usr/bin/python3; each test skips
with the package's name when its tool is missing."""

import math
import os
import re
import shutil
import subprocess
import sys

try:
    import pytest
except ImportError:  # CTest takes status 77 as skipped
    print("skipped: pytest not found (Debian package python3-pytest)")
    sys.exit(77)

TORVANE = os.environ.get("TORVANE_BINARY", "")
INSPECT = os.environ.get("TORVANE_INSPECT_EXE", "")
SOURCE = os.environ.get("TORVANE_SOURCE_DIR", "")
SHARED = os.environ.get("TORVANE_SHARED_DIR", "")
CGNS_BUILT = os.environ.get("TORVANE_INSPECT_CGNS", "0") == "1"


class Run:
    """A torvane run in a folder: its stem and the sizes its console reports."""

    def __init__(self, deck, folder, name, options=()):
        with open(deck, "rb") as d:
            done = subprocess.run([TORVANE, *options], stdin=d, cwd=folder, capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        text = done.stdout
        size = re.search(r"Number of grid points:\s*(\d+) x\s*(\d+) x\s*(\d+)", text)
        self.ie, self.je, self.ke = (int(v) for v in size.groups())
        self.ile = int(re.search(r"Leading edge index\s*:\s*(\d+)", text).group(1))
        self.ite = int(re.search(r"Trailing edge index\s*:\s*(\d+)", text).group(1))
        tip = re.search(r"blade tip at k = (\d+)", text)
        self.tip = int(tip.group(1)) if tip else self.ke
        self.stem = os.path.join(folder, name)

    def export(self, *args):
        done = subprocess.run([INSPECT, "export", *args, self.stem], capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        return done.stdout


DECKS = {
    "compressor_rotor": lambda: os.path.join(SOURCE, "examples", "compressor_rotor.in"),
    "compressor_rotor_tip_gap": lambda: os.path.join(SOURCE, "examples", "compressor_rotor.in"),
    "nin0": lambda: os.path.join(SHARED, "cases", "public", "nin0.in"),
    "nout0": lambda: os.path.join(SHARED, "cases", "public", "nout0.in"),
}


# torvane's options for a deck: a tip gap meshed above the blade.
OPTIONS = {"compressor_rotor_tip_gap": ("--tip-gap", "1%", "--gap-cells", "4")}


def make_run(name, folder):
    deck = DECKS[name]()
    if not os.path.exists(deck):
        pytest.skip("deck not found: " + deck)
    stem = os.path.splitext(os.path.basename(deck))[0]
    return Run(deck, str(folder), stem, OPTIONS.get(name, ()))


def rotation(axis, degrees):
    """Right-handed rotation matrix about the x or z axis."""
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    if axis == "x":
        return [[1, 0, 0], [0, c, -s], [0, s, c]]
    return [[c, -s, 0], [s, c, 0], [0, 0, 1]]


@pytest.mark.parametrize("axis", ["x", "z"])
@pytest.mark.parametrize("name", sorted(DECKS))
def test_su2_reads_back_with_meshio(tmp_path, name, axis):
    meshio = pytest.importorskip("meshio", reason="meshio not found (Debian package python3-meshio)")
    import numpy

    run = make_run(name, tmp_path)
    run.export("--to", "su2", "--axis", axis, "--output", run.stem + "_" + axis)
    mesh = meshio.read(run.stem + "_" + axis + ".su2")
    ie, je, ke = run.ie, run.je, run.ke
    assert len(mesh.points) == ie * je * ke
    hexes = numpy.concatenate([b.data for b in mesh.cells if b.type == "hexahedron"])
    assert len(hexes) == (ie - 1) * (je - 1) * (ke - 1)

    # Markers in the order of the file, numbered from 1 by meshio; with a tip gap the
    # blade ends at the tip and the gap's faces above it join the periodic pair.
    blade = run.ite - run.ile
    expected = {
        "inlet": (je - 1) * (ke - 1),
        "outlet": (je - 1) * (ke - 1),
        "hub": (ie - 1) * (je - 1),
        "casing": (ie - 1) * (je - 1),
        "blade": 2 * blade * (run.tip - 1),
        "periodic_lower": (ie - 1 - blade) * (ke - 1) + blade * (ke - run.tip),
        "periodic_upper": (ie - 1 - blade) * (ke - 1) + blade * (ke - run.tip),
    }
    with open(run.stem + "_" + axis + ".su2") as f:
        names = re.findall(r"MARKER_TAG= (\S+)", f.read())
    assert names == list(expected)
    quads, tags = [], []
    for block, data in zip(mesh.cells, mesh.cell_data["su2:tag"]):
        if block.type == "quad":
            quads.append(block.data)
            tags.append(data)
    quads, tags = numpy.concatenate(quads), numpy.concatenate(tags)
    for number, marker in enumerate(expected, start=1):
        assert numpy.count_nonzero(tags == number) == expected[marker], marker

    # Every hexahedron turns positively at its first corner (VTK's order).
    p = mesh.points
    h = hexes
    volume = numpy.einsum("ij,ij->i", p[h[:, 1]] - p[h[:, 0]],
                          numpy.cross(p[h[:, 3]] - p[h[:, 0]], p[h[:, 4]] - p[h[:, 0]]))
    assert (volume > 0).all()

    # The periodic markers map onto each other, face n onto face n, by the stated rotation.
    with open(run.stem + "_" + axis + "_periodic.cfg") as f:
        line = re.search(r"MARKER_PERIODIC= \((.*)\)", f.read()).group(1)
    fields = [v.strip() for v in line.split(",")]
    assert fields[:2] == ["periodic_lower", "periodic_upper"]
    values = [float(v) for v in fields[2:]]
    assert values[0:3] == [0, 0, 0] and values[6:9] == [0, 0, 0]
    turn = values[3] if axis == "x" else values[5]
    assert values[3:6].count(0.0) == 2
    lower, upper = quads[tags == 6], quads[tags == 7]
    moved = p[lower] @ numpy.array(rotation(axis, turn)).T
    gap = numpy.linalg.norm(moved[:, :, None, :] - p[upper][:, None, :, :], axis=3).min(axis=2)
    assert gap.max() < 1e-9 * numpy.linalg.norm(p, axis=1).max()

    # --axis z relabels the points of --axis x: x' = y, y' = z, z' = x.
    if axis == "z":
        run.export("--to", "su2", "--output", run.stem + "_check")
        plain = meshio.read(run.stem + "_check.su2").points
        assert (p[:, 2] == plain[:, 0]).all() and (p[:, 0] == plain[:, 1]).all() and (p[:, 1] == plain[:, 2]).all()


def cgns_export(tmp_path, *args, name="compressor_rotor"):
    if not CGNS_BUILT:
        pytest.skip("torvane-inspect built without CGNS (Debian package libcgns-dev)")
    run = make_run(name, tmp_path)
    run.export("--to", "cgns", *args)
    return run.stem + ".cgns"


@pytest.mark.parametrize("name", ["compressor_rotor", "compressor_rotor_tip_gap"])
@pytest.mark.parametrize("axis", ["x", "z"])
def test_cgnscheck_prints_no_warning(tmp_path, axis, name):
    if shutil.which("cgnscheck") is None:
        pytest.skip("cgnscheck not found (Debian package cgns-convert)")
    path = cgns_export(tmp_path, "--axis", axis, name=name)
    done = subprocess.run(["cgnscheck", path], capture_output=True, text=True)
    text = done.stdout + done.stderr
    assert done.returncode == 0, text
    assert "checking complete" in text
    assert "WARNING" not in text and "ERROR" not in text, text


def test_vtk_cgns_reader_lists_the_six_patches(tmp_path):
    vtk = pytest.importorskip("vtkmodules.vtkIOCGNSReader", reason="VTK not found (Debian package python3-vtk9)")
    from vtkmodules.vtkCommonDataModel import vtkCompositeDataSet

    path = cgns_export(tmp_path)
    reader = vtk.vtkCGNSReader()
    reader.SetFileName(path)
    reader.UpdateInformation()
    reader.SetLoadBndPatch(1)
    reader.Update()
    cells = {}
    blocks = reader.GetOutput().NewIterator()
    blocks.InitTraversal()
    while not blocks.IsDoneWithTraversal():
        name = blocks.GetCurrentMetaData().Get(vtkCompositeDataSet.NAME())
        cells[re.sub(r"_\d+$", "", name)] = blocks.GetCurrentDataObject().GetNumberOfCells()
        blocks.GoToNextItem()
    # The compressor rotor: 81 x 33 x 17 points, blade walls from i = 21 to 51.
    assert cells == {
        "Internal": 80 * 32 * 16,
        "Inlet": 32 * 16,
        "Outlet": 32 * 16,
        "Hub": 80 * 32,
        "Casing": 80 * 32,
        "Blade_j1": 30 * 16,
        "Blade_j33": 30 * 16,
    }


def test_plot3d_ascii_reads_in_vtk_with_the_documented_settings(tmp_path):
    vtk = pytest.importorskip("vtkmodules.vtkIOParallel", reason="VTK not found (Debian package python3-vtk9)")
    run = make_run("compressor_rotor", tmp_path)
    run.export("--to", "plot3d")
    with open(run.stem + ".xyz") as f:
        numbers = f.read().split()
    n = run.ie * run.je * run.ke
    assert numbers[:4] == ["1", str(run.ie), str(run.je), str(run.ke)]
    xyz = [float(v) for v in numbers[4:]]
    reader = vtk.vtkMultiBlockPLOT3DReader()
    reader.SetXYZFileName(run.stem + ".xyz")
    reader.SetAutoDetectFormat(0)
    reader.SetBinaryFile(0)
    reader.SetMultiGrid(1)
    reader.SetDoublePrecision(1)
    reader.Update()
    block = reader.GetOutput().GetBlock(0)
    assert block.GetDimensions() == (run.ie, run.je, run.ke)
    for m in range(0, n, 997):  # a spread of points, each exactly as written
        assert block.GetPoint(m) == (xyz[m], xyz[n + m], xyz[2 * n + m])


if __name__ == "__main__":
    sys.exit(pytest.main([__file__, "-q", "-rs", "-p", "no:cacheprovider"]))
