"""Independent reading of GPX and KML files for the peer tests: what the
document should hold after opening a file, worked out with Python's own XML
parser and the document rules (0,0 track points dropped, segments merged,
tracks of one name get "Copy of", KML placemarks in folders at any depth)."""

import xml.etree.ElementTree as ET


def local(tag):
    return tag.rsplit('}', 1)[-1] if isinstance(tag, str) else ''


def children(e, name=None):
    return [c for c in e if isinstance(c.tag, str) and (name is None or local(c.tag) == name)]


def first(e, name):
    for c in children(e, name):
        return c
    return None


def text(e):
    return (e.text or '') if e is not None else ''


def number(s):
    """Number reading of the document: '.' or ',', blanks around; else 0."""
    s = (s or '').strip().replace(',', '.')
    try:
        v = float(s)
        return v if v == v and v not in (float('inf'), float('-inf')) and s.lower() not in ('inf', 'nan') else 0.0
    except ValueError:
        return 0.0


def keeps_track_point(lat, lon):
    if lat == '' and lon == '':
        return False
    return not (number(lat) == 0 and number(lon) == 0)


class Expected:
    def __init__(self):
        self.waypoints = []   # (lat, lon) texts
        self.routes = []      # list of lists of (lat, lon)
        self.tracks = []      # [name, [(lat, lon), ...]]

    def track(self, name):
        for t in self.tracks:
            if t[0] == name:
                return t
        t = [name, []]
        self.tracks.append(t)
        return t

    def summary(self):
        lines = ['Waypoints: %d' % len(self.waypoints), 'Routes   : %d' % len(self.routes),
                 'Tracks   : %d' % len(self.tracks)]
        for i, (name, pts) in enumerate(self.tracks, 1):
            lines.append('Track %d : name = %s, %d points' % (i, name, len(pts)))
        return lines


def read_gpx(path):
    root = ET.parse(path).getroot()
    exp = Expected()
    for w in children(root, 'wpt'):
        exp.waypoints.append((w.get('lat', ''), w.get('lon', '')))
    for r in children(root, 'rte'):
        exp.routes.append([(p.get('lat', ''), p.get('lon', '')) for p in children(r, 'rtept')])
    for t in children(root, 'trk'):
        n = first(t, 'name')
        name = text(n) if n is not None else 'NewTrack'
        if any(x[0] == name for x in exp.tracks):
            name = 'Copy of ' + name
        track = exp.track(name)
        for seg in children(t, 'trkseg'):
            for p in children(seg, 'trkpt'):
                lat, lon = p.get('lat', ''), p.get('lon', '')
                if keeps_track_point(lat, lon):
                    track[1].append((lat, lon))
    return exp


def coordinates(s):
    out = []
    for token in (s or '').split():
        parts = token.split(',')
        lon = parts[0].strip()
        lat = parts[1].strip() if len(parts) > 1 else ''
        out.append((lat, lon))
    return out


def read_kml(path):
    """Placemarks at any depth of folders: a Point is a waypoint, each path
    (LineString, gx:Track, gx:MultiTrack, alone or in a MultiGeometry) its
    own track named after the placemark; a top-level "Routes" folder gives
    the track "Route" of the first placemark of each of its folders."""
    root = ET.parse(path).getroot()
    exp = Expected()
    max_depth = 64

    def new_track(name):
        while any(t[0] == name for t in exp.tracks):
            name = 'Copy of ' + name
        t = [name, []]
        exp.tracks.append(t)
        return t

    def keep(track, lat, lon):
        if keeps_track_point(lat, lon):
            track[1].append((lat, lon))

    def holds_path(g, depth=0):
        kind = local(g.tag)
        if kind in ('LineString', 'Track', 'MultiTrack'):
            return True
        return kind == 'MultiGeometry' and depth <= max_depth and any(holds_path(c, depth + 1) for c in children(g))

    def geometry(g, track, depth=0):
        kind = local(g.tag)
        if kind == 'LineString':
            c = first(g, 'coordinates')
            if c is not None:
                for lat, lon in coordinates(text(c)):
                    keep(track, lat, lon)
        elif kind == 'Track':
            for c in children(g, 'coord'):
                parts = text(c).split()
                keep(track, parts[1] if len(parts) > 1 else '', parts[0] if parts else '')
        elif kind == 'MultiTrack' or (kind == 'MultiGeometry' and depth <= max_depth):
            for c in children(g):
                geometry(c, track, depth + 1)
        elif kind == 'Point':
            tuples = coordinates(text(first(g, 'coordinates')))
            exp.waypoints.append(tuples[0] if tuples else ('', ''))

    def placemark(p, current=None):
        for g in children(p):
            kind = local(g.tag)
            if kind == 'Point':
                geometry(g, None)
            elif holds_path(g):
                geometry(g, current if current is not None else new_track(text(first(p, 'name'))))
            elif kind == 'MultiGeometry':
                geometry(g, None)  # points only

    def container(c, depth):
        if depth > max_depth:
            return
        for e in children(c):
            kind = local(e.tag)
            if kind == 'Placemark':
                placemark(e)
            elif kind in ('Folder', 'Document'):
                container(e, depth + 1)

    def document_child(c):
        kind, title = local(c.tag), text(first(c, 'name'))
        if kind == 'Placemark':
            placemark(c)
        elif kind == 'Folder' and title == 'Routes':
            route = exp.track('Route')
            for f in children(c, 'Folder'):
                p = first(f, 'Placemark')
                if p is not None:
                    placemark(p, route)
        elif kind in ('Folder', 'Document'):
            container(c, 1)

    # Placemarks and folders may stand without a Document; only the first Document counts.
    for c in children(root):
        kind = local(c.tag)
        if kind == 'Document':
            for d in children(c):
                document_child(d)
            break
        if kind in ('Placemark', 'Folder'):
            document_child(c)
    return exp


def read(path):
    return read_kml(path) if path.lower().endswith('.kml') else read_gpx(path)
