// Serves the site folder (build/web/site/) on the loopback address only, as
// static files: gzipped where the browser takes it, with each file's type,
// and revalidated on every load, so that a new build's service worker is
// found at once while the worker answers offline from its own cache. Every
// answer carries the headers a school's host should send (README): the
// strict policy the page runs under, no sniffing or referrer, and leave for
// any page to use the files, which are public: a sandboxed frame, whose
// origin is opaque, fetches them cross-origin, and a course page that
// isolates itself embeds only what says it may be.
// Usage: node platforms/web/serve.mjs FOLDER [PORT]   (PORT 0 picks a free one)
// Also imported by the browser test, which serves the page the same way,
// with PAGES beside the site's own files (a path -> a text, typed by its
// ending; a number, answered with that status; or null, the connection
// cut), and REPLACED headers in place of some of the usual ones.
import { createHash } from 'node:crypto';
import { readFileSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize } from 'node:path';
import { pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
};
const COMPRESSIBLE = new Set(['.html', '.js', '.css', '.wasm', '.webmanifest']);
// The site's policy, for a site at ORIGIN ("http://127.0.0.1:8000"):
// nothing inline, nothing from elsewhere; WebAssembly compiled from the
// site's own file; any course page may frame it. The site's own address
// stands beside 'self' for Safari, which matches 'self' against nothing in
// a frame sandboxed without allow-same-origin, whose origin is opaque.
export function policy(origin) {
  const own = ["'self'", origin].filter(Boolean).join(' ');
  return `default-src ${own}; script-src ${own} 'wasm-unsafe-eval'; style-src ${own}; img-src ${own}; ` +
    "object-src 'none'; base-uri 'none'; frame-ancestors *";
}
const SECURITY_HEADERS = {
  'X-Content-Type-Options': 'nosniff',
  'Referrer-Policy': 'no-referrer',
  'Access-Control-Allow-Origin': '*',
  'Cross-Origin-Resource-Policy': 'cross-origin',
};

export function serve(folder, port, pages = {}, replaced = {}) {
  const server = createServer((request, response) => {
    // The address the browser asked for is the site's own (loopback only).
    const host = request.headers.host ?? '';
    const origin = /^[\w.:[\]-]+$/.test(host) ? `http://${host}` : '';
    // (A header replaced by null is not sent.)
    const always = Object.fromEntries(Object.entries({ 'Content-Security-Policy': policy(origin), ...SECURITY_HEADERS,
      ...replaced }).filter(([, value]) => value !== null));
    const refuse = (status, text, headers = {}) => response
      .writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8', ...always, ...headers }).end(`${text}\n`);
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      refuse(405, 'only GET and HEAD', { Allow: 'GET, HEAD' });
      return;
    }
    let path;
    try {
      path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    } catch {
      // A malformed percent-encoding: a bad request, not the server's end.
      refuse(400, 'bad request');
      return;
    }
    // normalize() has resolved every '..', so the file is inside the folder.
    const file = join(folder, path.endsWith('/') ? path + 'index.html' : path);
    const page = Object.hasOwn(pages, path) ? pages[path] : undefined;
    if (page === null) {
      request.socket.destroy();
      return;
    }
    if (typeof page === 'number') {
      refuse(page, 'refused for the test');
      return;
    }
    let body;
    try {
      body = page !== undefined ? Buffer.from(page) : statSync(file).isFile() ? readFileSync(file) : null;
    } catch {
      body = null; // no such file, a NUL, a name too long
    }
    if (body === null) {
      refuse(404, 'not found');
      return;
    }
    const type = page !== undefined && !extname(path) ? '.html' : extname(file);
    const gzip = COMPRESSIBLE.has(type) && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '');
    const tag = `"${createHash('sha256').update(body).digest('hex').slice(0, 16)}${gzip ? '-gz' : ''}"`;
    const headers = {
      ...always,
      'Content-Type': TYPES[type] ?? 'application/octet-stream',
      'Cache-Control': 'no-cache',
      ETag: tag,
      Vary: 'Accept-Encoding',
    };
    if (request.headers['if-none-match'] === tag) {
      response.writeHead(304, headers).end();
      return;
    }
    if (gzip) {
      body = gzipSync(body, { level: 9 });
      headers['Content-Encoding'] = 'gzip';
    }
    headers['Content-Length'] = body.length;
    response.writeHead(200, headers).end(request.method === 'HEAD' ? undefined : body);
  });
  // A request line or headers too long (Node's answer would be 431), or
  // anything the parser rejects: a 400, and the connection closed.
  server.on('clientError', (error, socket) => {
    if (socket.writable) socket.end('HTTP/1.1 400 Bad Request\r\nConnection: close\r\nContent-Length: 0\r\n\r\n');
    else socket.destroy();
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const server = await serve(process.argv[2], Number(process.argv[3] ?? 8000));
  console.log(`fieldline is at http://127.0.0.1:${server.address().port}/ (Ctrl-C to stop)`);
}
