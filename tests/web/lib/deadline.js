// Every wait of the tests ends: a promise that has not settled by the deadline rejects with
// what it was waiting for.
'use strict';

function within(promise, deadlineMs, what) {
  let timer;
  const expired = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`waited ${deadlineMs} ms for ${what}`)), deadlineMs);
  });
  return Promise.race([promise, expired]).finally(() => clearTimeout(timer));
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

module.exports = {within, sleep};
