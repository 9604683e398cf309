"""Independent reading of GPX and KML files for the peer tests: what the
document should hold after opening a file, worked out with Python's own XML
parser and the document rules (0,0 track points dropped, segments merged,
tracks of one name get "Copy of", KML folders by name)."""

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
    root = ET.parse(path).getroot()
    exp = Expected()
    doc = first(root, 'Document')
    if doc is None:
        return exp

    def placemark(p, own_track, current):
        point = first(p, 'Point')
        if point is not None:
            tuples = coordinates(text(first(point, 'coordinates')))
            exp.waypoints.append(tuples[0] if tuples else ('', ''))
        line = first(first(p, 'MultiGeometry') if first(p, 'MultiGeometry') is not None else ET.Element('x'),
                     'LineString')
        coords = first(line, 'coordinates') if line is not None else None
        if coords is None:
            return
        track = exp.track(text(first(p, 'name'))) if own_track else current
        for lat, lon in coordinates(text(coords)):
            if keeps_track_point(lat, lon):
                track[1].append((lat, lon))

    for c in children(doc):
        kind, title = local(c.tag), text(first(c, 'name'))
        if kind == 'Placemark':
            placemark(c, True, None)
        elif kind == 'Folder' and title in ('Waypoints', 'Path'):
            for p in children(c, 'Placemark'):
                placemark(p, True, None)
        elif kind == 'Folder' and title == 'Routes':
            route = exp.track('Route')
            for f in children(c, 'Folder'):
                p = first(f, 'Placemark')
                if p is not None:
                    placemark(p, False, route)
    return exp


def read(path):
    return read_kml(path) if path.lower().endswith('.kml') else read_gpx(path)
